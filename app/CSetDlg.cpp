#include "app/CSetDlg.h"

#include "common/DeviceAddress.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/IpAddressEdit.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QPushButton>

namespace zel {

CSetDlg::CSetDlg(std::string configPath, QWidget* parent)
    : CMyDialog(parent, false), configPath_(std::move(configPath)) {
    const QFont font = ShellDlgFont(10);
    setFont(font);
    const DialogUnits du(font);
    resize(du.X(353), du.Y(183));
    SetTitle(QStringLiteral("Velquist--设置"));

    auto* label = new QLabel(QStringLiteral("设备IP地址："), this);
    label->setGeometry(du.ToPixels(74, 58, 58, 8).adjusted(0, -2, 20, 2));
    address_ = new IpAddressEdit(this);
    address_->setObjectName(QStringLiteral("1043"));
    address_->setGeometry(du.ToPixels(74, 72, 122, 14));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.ToPixels(139, 141, 56, 18));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(du.ToPixels(227, 141, 56, 18));
    connect(ok, &QPushButton::clicked, this, &CSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSetDlg::reject);

    char stored[kDeviceAddressSize];
    ReadDeviceAddress(stored, configPath_);
    address_->setText(QString::fromLocal8Bit(stored));
}

void CSetDlg::accept() {
    // A write that fails is reported and the dialog stays open, so the user is not told the
    // address was stored when it was not.
    if (!WriteDeviceAddress(address_->text().toStdString(), configPath_)) {
        MessageBox::Error(this, QStringLiteral("保存设置失败!"));
        return;
    }
    QDialog::accept();
}

} // namespace zel
