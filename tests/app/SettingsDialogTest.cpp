#include "GuiTestSupport.h"
#include "app/CSetDlg.h"
#include "common/FileLocations.h"
#include "common/IniFile.h"
#include "records/EventLimitsConfig.h"
#include "tests/support/TempDir.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace zel;

namespace {

TEST(SettingsDialogTest, FieldShowsAndStoresTheAddress) {
    test::TempDir dir;
    const std::string config = dir / "config.ini";
    std::ofstream(config) << "[Other]\nkeep=1\n[zelmarine]\nIP=10.1.2.3\n";
    CSetDlg dialog(config);
    IpAddressEdit* field = dialog.AddressField();
    EXPECT_EQ(field->text(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(dialog.Title(), QStringLiteral("Velquist--设置"));
    test::GrabWidget(dialog, QStringLiteral("settings"));

    // Typing: a dot moves to the next field; values above 255 are refused.
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    field->setText(QString());
    field->Field(0)->setFocus();
    QTest::keyClicks(field->Field(0), QStringLiteral("192"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("168."));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4."));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("999"));
    EXPECT_EQ(field->text(), QStringLiteral("192.168.4.99"));

    // Tab goes from the address on to the language, then to the buttons.
    field->Field(3)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.LanguageField());

    // The language: automatic until chosen, stored with the address.
    QComboBox* language = dialog.LanguageField();
    EXPECT_EQ(language->currentText(), QStringLiteral("自动"));
    language->setCurrentIndex(language->findText(QStringLiteral("English")));

    dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(IniFile::ReadOr(config, "ZELMARINE", "ip", ""), "192.168.4.99");
    EXPECT_EQ(IniFile::ReadOr(config, "ZELMARINE", "language", ""), "en");
    EXPECT_EQ(CSetDlg(config).LanguageField()->currentText(), QStringLiteral("English"));
    EXPECT_EQ(IniFile::ReadOr(config, "other", "keep", ""), "1");
}

TEST(SettingsDialogTest, ShowsWhereRecordsGo) {
    test::TempDir dir;
    const std::string config = dir / "config.ini";
    CSetDlg dialog(config);
    const QLabel* label = dialog.RecordFolderLabel();
    const FileLocations& places = FileLocations::ForThisProcess();
    const QString folder = QString::fromStdString(places.RecordDirectory());
    EXPECT_TRUE(label->toolTip().contains(folder)) << label->toolTip().toStdString();
    EXPECT_TRUE(label->toolTip().contains(QString::fromStdString(places.PictureDirectory())));
    EXPECT_TRUE(label->toolTip().contains(QString::fromStdString(config)));
    // The whole folder, or its two ends around an ellipsis, within the label's width.
    const QString shown = label->text();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->width());
    EXPECT_TRUE(folder.startsWith(shown.section(QChar(0x2026), 0, 0))) << shown.toStdString();
    EXPECT_TRUE(folder.endsWith(shown.section(QChar(0x2026), -1))) << shown.toStdString();
    EXPECT_GE(shown.size(), 20);
    test::GrabWidget(dialog, QStringLiteral("settings-record-folder"));
}

TEST(SettingsDialogTest, NotADottedQuadIsShownAsTheFieldReadsIt) {
    test::TempDir dir;
    const std::string config = dir / "config.ini";
    std::ofstream(config) << "[ZELMARINE]\nip=device.local\n";
    CSetDlg dialog(config);
    EXPECT_EQ(dialog.AddressField()->text(), QStringLiteral("0.0.0.0"));
}

TEST(SettingsDialogTest, FailedWriteIsReportedAndTheDialogStaysOpen) {
    test::TempDir dir;
    const std::string config = dir / "locked/config.ini";
    std::vector<QString> shown;
    ScopedMessageBoxHandler boxes([&](const MessageBox::Request& r) {
        shown.push_back(r.text);
        return MessageBox::Answer::Ok;
    });
    CSetDlg dialog(config); // the folder does not exist: the write fails
    dialog.show();
    dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
    EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("保存设置失败!")}));
    EXPECT_TRUE(dialog.isVisible());
    dialog.findChild<QPushButton*>(QStringLiteral("2"))->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// The limits go to their own section and come back; the address line and every other line stay
// as they were, a bad value in the file leaves its limit off, and one typed is refused.
TEST(SettingsDialogTest, LimitsRoundTripThroughTheirOwnSection) {
    test::TempDir dir;
    const std::string config = dir / "config.ini";
    const std::string before = "; kept\n[ZELMARINE]\nip=10.1.2.3\n[LIMITS]\nch1On=1\nch1Above=4O0\n"
                               "unbalanceOn=1\nunbalanceAbove=12\nminPoints=-3\n";
    std::ofstream(config) << before;
    EventLimits read = ReadEventLimits(config);
    EXPECT_FALSE(read[LimitKind::Ch1].on);
    EXPECT_EQ(read[LimitKind::Unbalance], (Limit{true, 12}));
    EXPECT_EQ(read.minPoints, 1);

    std::vector<QString> shown;
    ScopedMessageBoxHandler boxes([&](const MessageBox::Request& r) {
        shown.push_back(r.text);
        return MessageBox::Answer::Ok;
    });
    {
        CSetDlg dialog(config);
        EXPECT_FALSE(dialog.LimitSwitch(LimitKind::Ch1)->isChecked());
        EXPECT_TRUE(dialog.LimitSwitch(LimitKind::Unbalance)->isChecked());
        dialog.show();
        dialog.LimitSwitch(LimitKind::Difference)->setChecked(true);
        dialog.LimitField(LimitKind::Difference)->setText(QStringLiteral("7x"));
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_TRUE(dialog.isVisible());
        dialog.LimitField(LimitKind::Difference)->setText(QStringLiteral(" 72 "));
        dialog.LimitField(LimitKind::Unbalance)->setText(QStringLiteral("101")); // over 100, on
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        EXPECT_EQ(shown.size(), 2u);
        dialog.LimitSwitch(LimitKind::Unbalance)->setChecked(false); // off: the old 12 stays
        dialog.MinPointsField()->setText(QStringLiteral("3"));
        dialog.SoundSwitch()->setChecked(true);
        test::GrabWidget(dialog, QStringLiteral("settings-limits"));
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(shown.size(), 2u);
    }
    read = ReadEventLimits(config);
    EventLimits expected;
    expected[LimitKind::Difference] = {true, 72};
    expected[LimitKind::Unbalance] = {false, 12};
    expected.minPoints = 3;
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(ReadEventSound(config));
    std::ifstream in(config);
    const std::string after((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(after.substr(0, after.find("[LIMITS]")), "; kept\n[ZELMARINE]\nip=10.1.2.3\n");

    CSetDlg again(config);
    EXPECT_TRUE(again.LimitSwitch(LimitKind::Difference)->isChecked());
    EXPECT_EQ(again.LimitField(LimitKind::Difference)->text(), QStringLiteral("72"));
    EXPECT_EQ(again.MinPointsField()->text(), QStringLiteral("3"));
    EXPECT_TRUE(again.SoundSwitch()->isChecked());
}

} // namespace
