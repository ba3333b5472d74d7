#pragma once

#include "widgets/CMyDialog.h"

#include <string>

namespace zel {

class IpAddressEdit;

// The settings dialog: the instrument's IP address, stored in config.ini on OK.
class CSetDlg : public CMyDialog {
    Q_OBJECT

public:
    explicit CSetDlg(std::string configPath, QWidget* parent = nullptr);

    IpAddressEdit* AddressField() const { return address_; }
    void accept() override;

private:
    std::string configPath_;
    IpAddressEdit* address_ = nullptr;
};

} // namespace zel
