#include "app/CZelmarineDlg.h"

#include "app/CAboutDlg.h"
#include "app/CSetDlg.h"
#include "common/LocalTime.h"
#include "device/StatusText.h"
#include "platform/WifiProbe.h"
#include "widgets/AccessibleText.h"
#include "widgets/CButtonTR.h"
#include "widgets/CDigital.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/ImageResources.h"
#include "widgets/MessageBox.h"
#include "widgets/TextFit.h"
#include "widgets/Translations.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <thread>

namespace zel {
namespace {

constexpr QRgb kBandDark = 0xFF293955;
constexpr QRgb kBandLight = 0xFF44587C;
constexpr int kPictureImage = 261;

struct ButtonEntry {
    int id;
    const char* caption;
    int icon;
};

// In the order of the row, left to right.
constexpr ButtonEntry kButtons[] = {
    {CZelmarineDlg::kLiveView, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "实时查看"), 128},
    {CZelmarineDlg::kViewer, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "记录查看"), 138},
    {CZelmarineDlg::kRecording, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "实时录制"), 135},
    {CZelmarineDlg::kTransfer, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "记录传输"), 137},
    {CZelmarineDlg::kSettings, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "设置"), 136},
    {CZelmarineDlg::kFileAnalysis, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "文件分析"), 134},
    {CZelmarineDlg::kExit, QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "退出"), 133},
};

constexpr int kSsidLine = 1037;

// The widest texts a status line shows, '0' standing for any digit: every value the
// instrument or the Wi-Fi service can send at its longest, and every state. The SSID is not
// among them: a name too long for its line is shortened in the middle.
QStringList WidestTexts(int id) {
    switch (id) {
    case 1033:
        return {QCoreApplication::translate("zel::WifiProbe", "连接状态：未连接"),
                QCoreApplication::translate("zel::WifiProbe", "连接状态：已连接")};
    case 1035:
        return {QCoreApplication::translate("zel::WifiProbe", "信号强度：%1%").arg(100)};
    case 1036: {
        QStringList texts;
        for (std::uint32_t code = 0; code <= kWifiAuthWpa3Enterprise + 1; ++code)
            texts << QCoreApplication::translate("zel::WifiProbe", "连接类型：") +
                         WifiSecurityText(code).trimmed();
        return texts;
    }
    case 1038:
        return {QCoreApplication::translate("zel::StatusPoller", "连接状态：未连接"),
                QCoreApplication::translate("zel::StatusPoller", "连接状态：已连接")};
    case 1039: // serial + 191000, the serial 16 bits
        return {QCoreApplication::translate("zel::StatusPoller", "设备编号：") + "000000"};
    case 1040: // a byte
        return {QCoreApplication::translate("zel::StatusPoller", "设备电量：") + "000%"};
    case 1041: // 16 bits: 65535 is V65.535
        return {QCoreApplication::translate("zel::StatusPoller", "设备版本：") + "V00.000"};
    case 1043: {
        QStringList texts{QCoreApplication::translate("zel::StatusPoller", "设备状态: ")};
        for (const std::uint8_t state : {0, 1, 2, 3})
            texts << QCoreApplication::translate("zel::StatusPoller", "设备状态：") +
                         DeviceText(StateText(state));
        return texts;
    }
    case 1042:
        return {QCoreApplication::translate("zel::StatusPoller", "设备时间：") +
                "0000-00-00 00:00:00"};
    default:
        return {};
    }
}

} // namespace

CZelmarineDlg::CZelmarineDlg(MainWindowEnvironment environment, QWidget* parent)
    : CMyDialog(parent, true), environment_(std::move(environment)), picture_(kPictureImage) {
    setFont(ShellDlgFont(10));
    setWindowIcon(LoadIconResource(128));
    CreateControls();
    SetTitle(QStringLiteral("Velquist"));
    const DialogUnits du(font());
    resize(du.X(634), du.Y(345));
    ShowMaximizedInWorkArea();
    initialised_ = true;

    QPointer<CZelmarineDlg> self(this);
    poller_ = std::make_unique<StatusPoller>(*environment_.link, environment_.wifiProbe,
                                             [self](const PollerUpdate& update) {
                                                 // Queued: the poller never waits for this window.
                                                 QMetaObject::invokeMethod(
                                                     self.data(),
                                                     [self, update] {
                                                         if (self)
                                                             self->ApplyUpdate(update);
                                                     },
                                                     Qt::QueuedConnection);
                                             });
    poller_->Start();
}

CZelmarineDlg::~CZelmarineDlg() {
    poller_->Stop();
}

void CZelmarineDlg::SetWindowFactory(int buttonId, WindowFactory factory) {
    factories_[buttonId] = std::move(factory);
}

CButtonTR* CZelmarineDlg::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QLabel* CZelmarineDlg::AddLabel(int id, const QString& text, const QRect& units) {
    const DialogUnits du(font());
    auto* label = new QLabel(text, this);
    if (id)
        label->setObjectName(QString::number(id));
    // Static texts draw from their top left; some texts end in a line break (the security
    // text) whose empty second line must not push the first one up.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(du.ToPixels(units).adjusted(0, -2, 0, 4));
    if (id)
        labels_[id] = label;
    return label;
}

void CZelmarineDlg::CreateControls() {
    const DialogUnits du(font());
    int left = 15;
    for (const ButtonEntry& entry : kButtons) {
        auto* button = new CButtonTR(tr(entry.caption), this);
        button->setObjectName(QString::number(entry.id));
        button->SetIcon(entry.icon);
        button->setGeometry(left, 30, 130, 40);
        left += 135;
        buttons_[entry.id] = button;
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { OnButton(id); });
    }

    const struct {
        const char* title;
        QRect units;
    } groups[] = {{QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "WIFI状态"), {7, 42, 167, 84}},
                  {QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "设备状态"), {191, 42, 167, 84}},
                  {QT_TRANSLATE_NOOP("zel::CZelmarineDlg", "电流"), {375, 42, 137, 84}}};
    std::vector<QGroupBox*> panels;
    for (const auto& g : groups) {
        auto* box = new QGroupBox(tr(g.title), this);
        box->setGeometry(du.ToPixels(g.units));
        box->lower();
        panels.push_back(box);
    }
    AddLabel(1033, tr("连接状态：未连接"), {21, 56, 148, 8});
    AddLabel(1037, tr("SSID："), {22, 75, 148, 8});
    AddLabel(1035, tr("信号强度："), {21, 95, 148, 8});
    AddLabel(1036, tr("安全类型："), {21, 114, 148, 8});
    AddLabel(1038, tr("连接状态：未连接"), {206, 56, 122, 8});
    AddLabel(1039, tr("设备编号："), {206, 68, 120, 8});
    AddLabel(1040, tr("设备电量："), {206, 80, 127, 8});
    AddLabel(1041, tr("设备版本："), {206, 92, 118, 8});
    AddLabel(1043, tr("设备状态："), {206, 104, 114, 8});
    AddLabel(1042, tr("设备时间："), {206, 116, 114, 8});
    AddLabel(0, tr("通道一："), {391, 72, 42, 8});
    AddLabel(0, tr("通道二："), {391, 99, 43, 8});

    syncButton_ = new QPushButton(tr("同步"), this);
    syncButton_->setObjectName(QString::number(kSync));
    syncButton_->setGeometry(du.ToPixels(321, 111, 35, 14));
    syncButton_->setEnabled(false);
    syncButton_->setAutoDefault(false);
    connect(syncButton_, &QPushButton::clicked, this, &CZelmarineDlg::OnSync);

    ch1_ = new CDigital(this);
    ch1_->setObjectName(QStringLiteral("1003"));
    ch1_->setGeometry(du.ToPixels(429, 66, 69, 18));
    ch2_ = new CDigital(this);
    ch2_->setObjectName(QStringLiteral("1004"));
    ch2_->setGeometry(du.ToPixels(429, 93, 69, 18));
    ch1_->SetText(QStringLiteral("0A"));
    ch2_->SetText(QStringLiteral("0A"));
    ExposeReadout(ch1_, tr("CH1电流"));
    ExposeReadout(ch2_, tr("CH2电流"));
    FitPanels(panels);
}

void CZelmarineDlg::FitPanels(const std::vector<QGroupBox*>& panels) {
    // A panel whose lines are too narrow for their widest texts in the window's face grows by
    // what the narrowest of them lacks, pushing what is right of its lines (the sync button)
    // and the panels after it to the right. Texts that fit leave the layout as it is.
    struct Panel {
        QGroupBox* box;
        std::vector<QWidget*> inside;
        std::vector<QWidget*> lines;
        int linesRight;
        int grow = 0;
    };
    std::vector<Panel> found;
    for (QGroupBox* box : panels) {
        Panel panel{box, {}, {}, box->geometry().right()};
        for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == box || !box->geometry().contains(w->geometry().center()))
                continue;
            panel.inside.push_back(w);
            const int id = w->objectName().toInt();
            if (qobject_cast<QLabel*>(w) && labels_.count(id)) {
                panel.lines.push_back(w);
                panel.linesRight = std::min(panel.linesRight, w->geometry().right());
                panel.grow = std::max(
                    panel.grow, WidestTextWidth(w->fontMetrics(), WidestTexts(id)) - w->width());
            }
        }
        found.push_back(std::move(panel));
    }
    int shift = 0;
    for (const Panel& panel : found) {
        panel.box->setGeometry(
            panel.box->geometry().translated(shift, 0).adjusted(0, 0, panel.grow, 0));
        for (QWidget* w : panel.inside) {
            QRect box = w->geometry().translated(shift, 0);
            if (std::find(panel.lines.begin(), panel.lines.end(), w) != panel.lines.end())
                box.setWidth(box.width() + panel.grow);
            else if (w->geometry().left() > panel.linesRight)
                box.translate(panel.grow, 0);
            w->setGeometry(box);
        }
        shift += panel.grow;
    }
}

void CZelmarineDlg::ApplyUpdate(const PollerUpdate& update) {
    // Updates still queued from a poller that has since been stopped are stale.
    if (update.generation != poller_->Generation())
        return;
    if (update.hasWifi) {
        const int ids[] = {1033, 1037, 1035, 1036};
        for (int i = 0; i < 4; ++i) {
            const QString text = QString::fromStdString(update.wifi[static_cast<std::size_t>(i)]);
            if (ids[i] == kSsidLine)
                SetElidedText(labels_[ids[i]], text);
            else
                labels_[ids[i]]->setText(text);
        }
    }
    const int ids[] = {1038, 1039, 1041, 1040, 1043, 1042};
    for (int i = 0; i < 6; ++i)
        labels_[ids[i]]->setText(
            QString::fromStdString(update.instrument[static_cast<std::size_t>(i)]));
    ch1_->SetText(QString::fromStdString(update.ch1));
    ch2_->SetText(QString::fromStdString(update.ch2));
    syncButton_->setEnabled(update.syncEnabled);
}

void CZelmarineDlg::OnButton(int id) {
    switch (id) {
    case kLiveView:
    case kRecording:
    case kTransfer:
        if (CheckDevice(id))
            RunWindow(id, true);
        break;
    case kViewer:
    case kFileAnalysis:
        RunWindow(id, false);
        break;
    case kSettings:
        OnSettings();
        break;
    case kExit:
        close();
        break;
    default:
        break;
    }
}

bool CZelmarineDlg::CheckDevice(int id) {
    // The flag and the status are those of the latest poll, as they stand now.
    if (!poller_->Connected()) {
        MessageBox::Error(this, tr("未能连接到设备!"));
        return false;
    }
    const std::uint8_t state = poller_->LastStatus().state;
    if (id != kTransfer && state != kStateMeasuring) {
        MessageBox::Error(this, tr("设备不是在测量状态"));
        return false;
    }
    if (id == kTransfer && state != kStateViewing) {
        MessageBox::Error(this, tr("设备不是在查看状态"));
        return false;
    }
    return true;
}

void CZelmarineDlg::RunWindow(int id, bool deviceWindow) {
    const auto factory = factories_.find(id);
    if (deviceWindow)
        poller_->Stop();
    if (factory != factories_.end() && factory->second) {
        const DeviceStatus status = poller_->LastStatus();
        if (auto window = factory->second(this, deviceWindow ? &status : nullptr))
            window->exec();
    }
    if (deviceWindow)
        poller_->Start();
}

void CZelmarineDlg::OnSettings() {
    const auto factory = factories_.find(kSettings);
    std::unique_ptr<QDialog> dialog =
        factory != factories_.end() && factory->second
            ? factory->second(this, nullptr)
            : std::make_unique<CSetDlg>(environment_.configPath, this);
    if (dialog->exec() == QDialog::Accepted) {
        // The next poll must use the new address.
        poller_->Stop();
        poller_->Start();
    }
}

void CZelmarineDlg::OnSync() {
    syncButton_->setEnabled(false);
    poller_->Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const ClockBytes clock = ClockBytesOf(NowSeconds());
    DeviceLink& link = *environment_.link;
    if (!link.Connect()) {
        MessageBox::Error(this, tr("连接设备失败!"));
    } else {
        DeviceStatus status = poller_->LastStatus();
        if (link.SyncClock(status, clock.bytes))
            poller_->SetLastStatus(status);
        else
            MessageBox::Error(this, tr("时间同步失败!"));
    }
    link.Close();
    poller_->Start();
}

bool CZelmarineDlg::CanClose() {
    if (askBeforeClose_ && MessageBox::Question(this, tr("确定要退出Velquist软件吗?"),
                                                MessageBox::Icon::Error) != MessageBox::Answer::Yes)
        return false;
    poller_->Stop();
    if (poller_->Connected()) {
        // The farewell; the connection is left to the end of the process.
        DeviceLink& link = *environment_.link;
        if (link.Connect())
            link.SendStop();
    }
    return true;
}

void CZelmarineDlg::CloseWithoutQuestion() {
    askBeforeClose_ = false;
    close();
    askBeforeClose_ = true;
}

void CZelmarineDlg::accept() {
    // Enter leads to the exit question like Escape, never straight out of the program.
    close();
}

void CZelmarineDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        close();
        return;
    }
    CMyDialog::keyPressEvent(event);
}

void CZelmarineDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CZelmarineDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window has no system menu of its own; the title strip offers its about item.
    if (!TitleRect().contains(event->pos())) {
        CMyDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    QAction* about = menu.addAction(tr("关于 Zelmarine(&A)..."));
    about->setObjectName(QStringLiteral("16"));
    connect(about, &QAction::triggered, this, &CZelmarineDlg::ShowAbout);
    if (environment_.extendTitleMenu)
        environment_.extendTitleMenu(menu);
    menu.exec(event->globalPos());
}

void CZelmarineDlg::resizeEvent(QResizeEvent* event) {
    CMyDialog::resizeEvent(event);
    if (initialised_ && !isMinimized())
        resized_ = true;
}

void CZelmarineDlg::PaintClient(QPainter& painter) {
    const int w = width();
    const int h = height();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The gradient first and the plain half over it, as in the title strip: the other way round,
    // a display scale that puts x = w / 2 inside a device pixel leaves that pixel to the
    // gradient's end colour, a bright seam between the halves.
    QLinearGradient gradient(0, 0, w / 2, 0);
    gradient.setColorAt(0, QColor::fromRgba(kBandDark));
    gradient.setColorAt(1, QColor::fromRgba(kBandLight));
    gradient.setSpread(QGradient::RepeatSpread);
    painter.fillRect(QRect(w / 2, 25, w, 50), gradient);
    painter.fillRect(QRect(0, 25, w / 2 + 1, 50), QColor::fromRgba(kBandDark));

    // Decoded on the first paint at a scale, not on every paint.
    if (const QImage& picture = picture_.For(devicePixelRatioF()); !picture.isNull()) {
        const int pictureWidth = w - 20;
        const int pictureHeight = static_cast<int>(pictureWidth * 0.2658);
        const int top = 175 + (h - pictureHeight - 175) / 2;
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(10, top, pictureWidth, pictureHeight), picture);
    }
    if (resized_) {
        resized_ = false;
        for (auto& [id, button] : buttons_)
            button->DropBackground();
    }
}

} // namespace zel
