#pragma once

#include "widgets/CMyDialog.h"

#include "records/Events.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <string>

namespace zel {

class DialogUnits;
class IpAddressEdit;

// The settings dialog: the instrument's IP address, the language of the windows (it applies
// from the next start), and under them the limits the live view watches with the tone at an
// event's start; all stored in config.ini on OK.
class CSetDlg : public CMyDialog {
    Q_OBJECT

public:
    explicit CSetDlg(std::string configPath, QWidget* parent = nullptr);

    IpAddressEdit* AddressField() const { return address_; }
    QLabel* RecordFolderLabel() const { return recordFolder_; }
    QCheckBox* LimitSwitch(LimitKind kind) const { return switches_[static_cast<int>(kind)]; }
    QLineEdit* LimitField(LimitKind kind) const { return fields_[static_cast<int>(kind)]; }
    QLineEdit* MinPointsField() const { return minPoints_; }
    QCheckBox* SoundSwitch() const { return sound_; }
    QComboBox* LanguageField() const { return language_; }
    void accept() override;

private:
    void ShowRecordFolder(const DialogUnits& du);
    void AddLimits(const DialogUnits& du);
    // The limits as the fields give them; nothing, after saying why, when one switched on has
    // no valid value.
    std::optional<EventLimits> LimitsGiven();
    void ShowLanguage(const DialogUnits& du);

    std::string configPath_;
    IpAddressEdit* address_ = nullptr;
    QLabel* recordFolder_ = nullptr;
    std::array<QCheckBox*, kLimitKinds> switches_{};
    std::array<QLineEdit*, kLimitKinds> fields_{};
    QLineEdit* minPoints_ = nullptr;
    QCheckBox* sound_ = nullptr;
    EventLimits stored_;
    QComboBox* language_ = nullptr;
};

} // namespace zel
