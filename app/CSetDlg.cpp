#include "app/CSetDlg.h"

#include "common/DeviceAddress.h"
#include "common/FileLocations.h"
#include "common/Language.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace zel {

CSetDlg::CSetDlg(std::string configPath, QWidget* parent)
    : CMyDialog(parent, false), configPath_(std::move(configPath)) {
    const QFont font = ShellDlgFont(10);
    setFont(font);
    const DialogUnits du(font);
    resize(du.X(353), du.Y(183));
    SetTitle(tr("Velquist--设置"));

    auto* label = new QLabel(tr("设备IP地址："), this);
    label->setGeometry(du.ToPixels(74, 58, 58, 8).adjusted(0, -2, 20, 2));
    address_ = new IpAddressEdit(this);
    address_->setObjectName(QStringLiteral("1043"));
    address_->setGeometry(du.ToPixels(74, 72, 122, 14));

    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.ToPixels(139, 141, 56, 18));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(du.ToPixels(227, 141, 56, 18));
    ShowRecordFolder(du);
    ShowLanguage(du);
    // The keyboard goes down the fields, then to the buttons.
    setTabOrder(address_->Field(3), language_);
    setTabOrder(language_, ok);
    setTabOrder(ok, cancel);
    connect(ok, &QPushButton::clicked, this, &CSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSetDlg::reject);

    char stored[kDeviceAddressSize];
    ReadDeviceAddress(stored, configPath_);
    address_->setText(QString::fromLocal8Bit(stored));
}

void CSetDlg::ShowRecordFolder(const DialogUnits& du) {
    // An installed copy keeps its files in the user's folders, not beside the program: say where.
    const FileLocations& places = FileLocations::ForThisProcess();
    auto* caption = new QLabel(tr("记录文件夹："), this);
    caption->setGeometry(du.ToPixels(74, 100, 58, 8).adjusted(0, -2, 20, 2));
    recordFolder_ = new QLabel(this);
    recordFolder_->setObjectName(QStringLiteral("recordFolder"));
    const QRect area = du.ToPixels(74, 112, 262, 8).adjusted(0, -2, 0, 2);
    recordFolder_->setGeometry(area);
    const QString folder = QString::fromStdString(places.RecordDirectory());
    recordFolder_->setText(fontMetrics().elidedText(folder, Qt::ElideMiddle, area.width()));
    recordFolder_->setToolTip(tr("记录文件：%1\n截图文件：%2\n设置文件：%3")
                                  .arg(folder, QString::fromStdString(places.PictureDirectory()),
                                       QString::fromStdString(configPath_)));
}

void CSetDlg::ShowLanguage(const DialogUnits& du) {
    auto* caption = new QLabel(tr("界面语言："), this);
    caption->setGeometry(du.ToPixels(74, 124, 58, 8).adjusted(0, -2, 20, 2));
    language_ = new QComboBox(this);
    language_->setObjectName(QStringLiteral("language"));
    language_->addItem(tr("自动"), static_cast<int>(LanguageChoice::Automatic));
    language_->addItem(QStringLiteral("中文"), static_cast<int>(LanguageChoice::Chinese));
    language_->addItem(QStringLiteral("English"), static_cast<int>(LanguageChoice::English));
    language_->setGeometry(du.ToPixels(134, 122, 62, 12));
    language_->setCurrentIndex(
        language_->findData(static_cast<int>(ReadLanguageChoice(configPath_))));
    caption->setBuddy(language_);
    auto* note = new QLabel(tr("下次启动时生效"), this);
    note->setGeometry(du.ToPixels(202, 124, 140, 8).adjusted(0, -2, 0, 2));
}

void CSetDlg::accept() {
    // A write that fails is reported and the dialog stays open, so the user is not told the
    // address was stored when it was not.
    if (!WriteDeviceAddress(address_->text().toStdString(), configPath_)) {
        MessageBox::Error(this, tr("保存设置失败!"));
        return;
    }
    const auto language = static_cast<LanguageChoice>(language_->currentData().toInt());
    if (language != ReadLanguageChoice(configPath_) &&
        !WriteLanguageChoice(language, configPath_)) {
        MessageBox::Error(this, tr("保存设置失败!"));
        return;
    }
    QDialog::accept();
}

} // namespace zel
