#include "app/CSetDlg.h"

#include "common/DeviceAddress.h"
#include "common/FileLocations.h"
#include "common/Language.h"
#include "records/EventLimitsConfig.h"
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
    resize(du.X(353), du.Y(264));
    SetTitle(tr("Velquist--设置"));

    auto* label = new QLabel(tr("设备IP地址："), this);
    label->setGeometry(du.ToPixels(74, 58, 58, 8).adjusted(0, -2, 20, 2));
    address_ = new IpAddressEdit(this);
    address_->setObjectName(QStringLiteral("1043"));
    address_->setGeometry(du.ToPixels(74, 72, 122, 14));

    auto* ok = new QPushButton(tr("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(du.ToPixels(139, 222, 56, 18));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(du.ToPixels(227, 222, 56, 18));
    ShowRecordFolder(du);
    ShowLanguage(du);
    AddLimits(du);
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

void CSetDlg::AddLimits(const DialogUnits& du) {
    auto* caption = new QLabel(tr("越限报警："), this);
    caption->setGeometry(du.ToPixels(74, 146, 58, 8).adjusted(0, -2, 20, 2));
    struct Row {
        LimitKind kind;
        const char* name; // translated in this class
        const char* unit;
        int x, y;
    };
    static constexpr Row kRows[] = {
        {LimitKind::Ch1, QT_TR_NOOP("CH1电流 >"), "A", 74, 160},
        {LimitKind::Ch2, QT_TR_NOOP("CH2电流 >"), "A", 74, 178},
        {LimitKind::Difference, QT_TR_NOOP("电流差 >"), "A", 200, 160},
        {LimitKind::Unbalance, QT_TR_NOOP("不平衡度 >"), "%", 200, 178}};
    stored_ = ReadEventLimits(configPath_);
    for (const Row& row : kRows) {
        const auto k = static_cast<std::size_t>(row.kind);
        switches_[k] = new QCheckBox(tr(row.name), this);
        switches_[k]->setObjectName(QStringLiteral("%1On").arg(LimitName(row.kind)));
        switches_[k]->setGeometry(du.ToPixels(row.x, row.y, 62, 12));
        switches_[k]->setChecked(stored_[row.kind].on);
        fields_[k] = new QLineEdit(QString::number(stored_[row.kind].above), this);
        fields_[k]->setObjectName(QStringLiteral("%1Above").arg(LimitName(row.kind)));
        fields_[k]->setGeometry(du.ToPixels(row.x + 64, row.y, 40, 12));
        auto* unit = new QLabel(QString::fromLatin1(row.unit), this);
        unit->setGeometry(du.ToPixels(row.x + 108, row.y + 2, 12, 8).adjusted(0, -2, 0, 2));
    }
    auto* least = new QLabel(tr("最少持续："), this);
    least->setGeometry(du.ToPixels(74, 198, 58, 8).adjusted(0, -2, 20, 2));
    minPoints_ = new QLineEdit(QString::number(stored_.minPoints), this);
    minPoints_->setObjectName(QStringLiteral("minPoints"));
    minPoints_->setGeometry(du.ToPixels(138, 196, 40, 12));
    auto* points = new QLabel(tr("点"), this);
    points->setGeometry(du.ToPixels(182, 198, 17, 8).adjusted(0, -2, 0, 2));
    sound_ = new QCheckBox(tr("越限提示音"), this);
    sound_->setObjectName(QStringLiteral("sound"));
    sound_->setGeometry(du.ToPixels(200, 196, 80, 12));
    sound_->setChecked(ReadEventSound(configPath_));
}

std::optional<EventLimits> CSetDlg::LimitsGiven() {
    EventLimits limits = stored_;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        const auto value = ParseLimitValue(kind, fields_[k]->text().trimmed().toStdString());
        limits[kind].on = switches_[k]->isChecked();
        // A value left bad beside a switch that is off keeps the one stored.
        if (value)
            limits[kind].above = *value;
        else if (limits[kind].on) {
            MessageBox::Error(this, kind == LimitKind::Unbalance
                                        ? tr("不平衡度限值应为0到100的整数!")
                                        : tr("电流限值应为不小于0的整数!"));
            fields_[k]->setFocus();
            return std::nullopt;
        }
    }
    const auto least = ParseMinPoints(minPoints_->text().trimmed().toStdString());
    if (!least) {
        MessageBox::Error(this, tr("最少持续点数应为1到1000000的整数!"));
        minPoints_->setFocus();
        return std::nullopt;
    }
    limits.minPoints = *least;
    return limits;
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
    const std::optional<EventLimits> limits = LimitsGiven();
    if (!limits)
        return;
    // A write that fails is reported and the dialog stays open, so the user is not told the
    // address was stored when it was not.
    if (!WriteDeviceAddress(address_->text().toStdString(), configPath_) ||
        !WriteEventLimits(configPath_, *limits) ||
        !WriteEventSound(configPath_, sound_->isChecked())) {
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
