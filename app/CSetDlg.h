#pragma once

#include "widgets/CMyDialog.h"

#include <QComboBox>
#include <QLabel>
#include <string>

namespace zel {

class DialogUnits;
class IpAddressEdit;

// The settings dialog: the instrument's IP address and the language of the windows, stored in
// config.ini on OK (the language applies from the next start).
class CSetDlg : public CMyDialog {
    Q_OBJECT

public:
    explicit CSetDlg(std::string configPath, QWidget* parent = nullptr);

    IpAddressEdit* AddressField() const { return address_; }
    QLabel* RecordFolderLabel() const { return recordFolder_; }
    QComboBox* LanguageField() const { return language_; }
    void accept() override;

private:
    void ShowRecordFolder(const DialogUnits& du);
    void ShowLanguage(const DialogUnits& du);

    std::string configPath_;
    IpAddressEdit* address_ = nullptr;
    QLabel* recordFolder_ = nullptr;
    QComboBox* language_ = nullptr;
};

} // namespace zel
