#pragma once

#include "widgets/CMyDialog.h"

#include <QLabel>
#include <string>

namespace zel {

class DialogUnits;
class IpAddressEdit;

// The settings dialog: the instrument's IP address, stored in config.ini on OK.
class CSetDlg : public CMyDialog {
    Q_OBJECT

public:
    explicit CSetDlg(std::string configPath, QWidget* parent = nullptr);

    IpAddressEdit* AddressField() const { return address_; }
    QLabel* RecordFolderLabel() const { return recordFolder_; }
    void accept() override;

private:
    void ShowRecordFolder(const DialogUnits& du);

    std::string configPath_;
    IpAddressEdit* address_ = nullptr;
    QLabel* recordFolder_ = nullptr;
};

} // namespace zel
