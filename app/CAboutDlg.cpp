#include "app/CAboutDlg.h"

#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/ImageResources.h"

#include <QLabel>
#include <QPushButton>

namespace zel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const QFont font = ShellDlgFont(9);
    setFont(font);
    const DialogUnits du(font);
    setWindowTitle(tr("关于 Zelmarine"));
    setFixedSize(du.X(170), du.Y(62));

    auto* icon = new QLabel(this);
    const QRect iconRect = du.ToPixels(14, 14, 21, 20);
    icon->setGeometry(iconRect);
    icon->setPixmap(LoadIconResource(128).pixmap(32, 32));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* name = new QLabel(tr("Zelmarine，1.0 版"), this);
    name->setGeometry(du.ToPixels(42, 14, 114, 8).adjusted(0, -2, 0, 2));
    auto* line = new QLabel(tr("双通道电流测试仪配套软件"), this);
    line->setGeometry(du.ToPixels(42, 26, 114, 8).adjusted(0, -2, 0, 2));

    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.ToPixels(113, 41, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace zel
