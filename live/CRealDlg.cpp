#include "live/CRealDlg.h"

#include "common/DeviceText.h"
#include "common/LocalTime.h"
#include "live/LiveEventWatch.h"
#include "live/LiveKeys.h"
#include "live/LivePlotFeed.h"
#include "live/LiveRecordSink.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/EventLimitsConfig.h"
#include "records/SampleBlock.h"
#include "widgets/AccessibleText.h"
#include "widgets/CDigital.h"
#include "widgets/CTimeWnd.h"
#include "widgets/ClientEdgeFrame.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace zel {

namespace {

// The six columns of the bottom strip, left to right: label id, label text, readout id.
struct Column {
    int label;
    const char* text;
    int readout;
};

constexpr Column kColumns[] = {
    {1017, QT_TRANSLATE_NOOP("zel::CRealDlg", "CH1波形："), CRealDlg::kCh1Wave},
    {1018, QT_TRANSLATE_NOOP("zel::CRealDlg", "CH2波形："), CRealDlg::kCh2Wave},
    {1022, QT_TRANSLATE_NOOP("zel::CRealDlg", "CH1曲线(A)："), CRealDlg::kCh1Trend},
    {1021, QT_TRANSLATE_NOOP("zel::CRealDlg", "CH2曲线(A)："), CRealDlg::kCh2Trend},
    {1020, QT_TRANSLATE_NOOP("zel::CRealDlg", "电流差："), CRealDlg::kDifference},
    {1019, QT_TRANSLATE_NOOP("zel::CRealDlg", "不平衡系数(%)："), CRealDlg::kUnbalance},
};

struct ButtonEntry {
    int id;
    const char* caption;
};

constexpr ButtonEntry kZoomButtons[] = {
    {CRealDlg::kWaveZoomIn, QT_TRANSLATE_NOOP("zel::CRealDlg", "波形放大")},
    {CRealDlg::kWaveZoomOut, QT_TRANSLATE_NOOP("zel::CRealDlg", "波形缩小")},
    {CRealDlg::kTrendZoomIn, QT_TRANSLATE_NOOP("zel::CRealDlg", "曲线放大")},
    {CRealDlg::kTrendZoomOut, QT_TRANSLATE_NOOP("zel::CRealDlg", "曲线缩小")},
};

QFrame* BlackFrame(int id, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::number(id));
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    frame->setPalette(palette);
    return frame;
}

constexpr int kInfoBarWidth = 199;

QRect Sized(int x, int y, int w, int h) {
    return QRect(x, y, std::max(0, w), std::max(0, h));
}

} // namespace

CRealDlg::CRealDlg(const DeviceStatus& status, DeviceLink& link, QWidget* parent,
                   const std::string& recordDirectory)
    : CMyDialog(parent, false), status_(status), link_(link) {
    const QFont font = ShellDlgFont(8);
    setFont(font);
    const DialogUnits du(font);
    resize(du.X(467), du.Y(244));
    SetTitle(tr("Velquist-实时查看"));
    CreateControls();

    events_ = std::make_unique<LiveEventWatch>(this, infoBar_);
    const std::string config = EventLimitsFile();
    SetLimits(ReadEventLimits(config), ReadEventSound(config));

    keys_ = new LiveKeys(this);
    CWaveWnd* wave = wave_;
    CCurseWnd* trend = trend_;
    LiveEventWatch* events = events_.get();
    LiveKeys* keys = keys_;
    // The plots are fed on the window's thread, in the order the blocks came, so that a plot
    // the keys hold back is put back before anything draws it.
    auto* feed = new LivePlotFeed(this, [wave, trend, keys](const LivePlotFeed::Item& item) {
        if (item.isBreak) {
            trend->MarkBreak();
            return;
        }
        wave->AddBlock(item.wave);
        trend->AddPoint(item.ch1, item.ch2, item.over);
        keys->KeepHeld();
    });
    sink_ = std::make_unique<LiveRecordSink>(
        this, infoBar_, "S", status_, recordDirectory, [feed, events](const SampleBlock& block) {
            LivePlotFeed::Item item;
            item.wave = WaveBlockOf(block);
            item.ch1 = static_cast<std::int32_t>(block.ch1Current);
            item.ch2 = static_cast<std::int32_t>(block.ch2Current);
            item.over = events->Check(item.ch1, item.ch2, NowSeconds());
            feed->Push(std::move(item));
        });
    sink_->SetLinkLine(linkLine_);
    sink_->SetGapHandler([feed, events] {
        LivePlotFeed::Item gap;
        gap.isBreak = true;
        feed->Push(std::move(gap));
        events->Break();
    });
    run_ = std::make_unique<LiveRun>(link_, LiveStreamParams{std::chrono::milliseconds(5), true},
                                     *sink_);
}

void CRealDlg::SetLimits(const EventLimits& limits, bool sound) {
    limits_ = limits;
    events_->SetLimits(limits, sound);
}

CRealDlg::~CRealDlg() {
    StopStream();
}

void CRealDlg::CreateControls() {
    for (const Column& column : kColumns) {
        auto* label = new QLabel(tr(column.text), this);
        label->setObjectName(QString::number(column.label));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        labels_[column.label] = label;
        auto* readout = new CDigital(this);
        readout->setObjectName(QString::number(column.readout));
        readouts_[column.readout] = readout;
        ExposeReadout(readout, ReadoutCaption(static_cast<int>(&column - kColumns)));
        label->setBuddy(readout);
    }
    for (const ButtonEntry& entry : kZoomButtons) {
        auto* button = new QPushButton(tr(entry.caption), this);
        button->setObjectName(QString::number(entry.id));
        button->setAutoDefault(false); // Enter must not zoom
        connect(button, &QPushButton::clicked, this, [this, id = entry.id] { OnZoom(id); });
        buttons_[entry.id] = button;
    }
    linkLine_ = new QLabel(this);
    linkLine_->setObjectName(QString::number(kLinkLine));
    linkLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    buttonFrame_ = BlackFrame(kButtonFrame, this);
    readoutFrame_ = BlackFrame(kReadoutFrame, this);
    buttonFrame_->lower();
    readoutFrame_->lower();

    // Plots and bar: each in a window with a border and a sunken edge.
    waveFrame_ = new ClientEdgeFrame(this);
    wave_ = new CWaveWnd;
    waveFrame_->SetChild(wave_);
    trendFrame_ = new ClientEdgeFrame(this);
    trend_ = new CCurseWnd;
    trendFrame_->SetChild(trend_);
    infoBarFrame_ = new ClientEdgeFrame(this);
    infoBar_ = new CTimeWnd;
    infoBarFrame_->SetChild(infoBar_);

    // Called while the plot holds its lock: only reads the cursor values and sets texts.
    wave_->SetCursorNotify([this](int code) { OnCursor(code); });
    trend_->SetCursorNotify([this](int code) { OnCursor(code); });
}

void CRealDlg::setVisible(bool visible) {
    if (visible && !initialised_) {
        initialised_ = true;
        Initialise();
    }
    CMyDialog::setVisible(visible);
}

void CRealDlg::Initialise() {
    ShowMaximizedInWorkArea();
    LayOut(rect());
    wave_->ResetCursor();
    wave_->StartAutoRefresh(kRefreshMs);
    trend_->ResetCursor();
    trend_->StartAutoRefresh(kRefreshMs);
    infoBar_->SetDevice(DeviceNumber(status_.serial), status_.version);
    run_->Start();
}

void CRealDlg::LayOut(const QRect& client) {
    // The client rectangle as left, top, right and bottom edges, the right and bottom ones
    // just outside.
    const int L = client.left(), T = client.top();
    const int R = L + client.width(), B = T + client.height();
    const int h = (B - T - 127) / 2;
    // The information bar as wide as its widest lines need in this face, 199 pixels where they
    // fit; what it takes more comes off the readout columns.
    const int bar = std::max(kInfoBarWidth, CTimeWnd::WidthFor(LiveEventWatch::WidestLines()) +
                                                2 * infoBarFrame_->EdgeWidth());
    const int wider = bar - kInfoBarWidth;
    const int G = static_cast<int>((R - L - 428 - wider) / 6.0 - 2.0);

    waveFrame_->Place(Sized(L, T + 25, R - L, h));
    trendFrame_->Place(Sized(L, T + h + 27, R - L, h));
    infoBarFrame_->Place(Sized(R - 1 - bar, B - 99, bar, 97));
    buttons_[kWaveZoomIn]->setGeometry(L + 8, B - 86, 100, 35);
    buttons_[kWaveZoomOut]->setGeometry(L + 8, B - 46, 100, 35);
    buttons_[kTrendZoomIn]->setGeometry(L + 110, B - 86, 100, 35);
    buttons_[kTrendZoomOut]->setGeometry(L + 110, B - 46, 100, 35);
    buttonFrame_->setGeometry(L + 2, B - 98, 218, 95);
    readoutFrame_->setGeometry(Sized(L + 215, B - 98, R - L - 415 - wider, 95));
    linkLine_->setGeometry(Sized(L + 225, B - 97, R - L - 435 - wider, 17));
    for (int k = 0; k < 6; ++k) {
        const int x = L + 225 + k * (G + 2);
        labels_[kColumns[k].label]->setGeometry(Sized(x, B - 80, G, 20));
        readouts_[kColumns[k].readout]->setGeometry(Sized(x, B - 60, G, 40));
    }
}

CDigital* CRealDlg::Readout(int id) const {
    const auto it = readouts_.find(id);
    return it == readouts_.end() ? nullptr : it->second;
}

QPushButton* CRealDlg::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

std::string CRealDlg::RecordPath() const {
    return sink_->RecordPath();
}

void CRealDlg::OnCursor(int code) {
    switch (code) {
    case CursorTrendValid: {
        const int a = trend_->CursorCh1();
        const int b = trend_->CursorCh2();
        readouts_[kCh1Trend]->SetText(QString::number(a));
        readouts_[kCh2Trend]->SetText(QString::number(b));
        readouts_[kDifference]->SetText(QString::number(CurrentDifference(a, b)));
        readouts_[kUnbalance]->SetText(QString::number(UnbalanceCoefficient(a, b)));
        // A value over its limit shows red.
        for (const auto& [id, kind] :
             {std::pair{kCh1Trend, LimitKind::Ch1}, std::pair{kCh2Trend, LimitKind::Ch2},
              std::pair{kDifference, LimitKind::Difference},
              std::pair{kUnbalance, LimitKind::Unbalance}})
            readouts_[id]->SetAlarm(limits_[kind].on &&
                                    LimitValue(kind, a, b) > limits_[kind].above);
        break;
    }
    case CursorTrendEmpty:
        for (const int id : {kCh1Trend, kCh2Trend, kDifference, kUnbalance}) {
            readouts_[id]->SetText({});
            readouts_[id]->SetAlarm(false);
        }
        break;
    case CursorWaveEmpty:
        readouts_[kCh1Wave]->SetText({});
        readouts_[kCh2Wave]->SetText({});
        break;
    case CursorWaveValid:
        readouts_[kCh1Wave]->SetText(QString::number(wave_->CursorCh1()));
        readouts_[kCh2Wave]->SetText(QString::number(wave_->CursorCh2()));
        break;
    default:
        break;
    }
}

void CRealDlg::OnZoom(int id) {
    buttons_[id]->setEnabled(false);
    if (id == kWaveZoomIn || id == kWaveZoomOut) {
        const int n = wave_->Zoom(id == kWaveZoomIn);
        buttons_[kWaveZoomIn]->setEnabled(n > 1);
        buttons_[kWaveZoomOut]->setEnabled(n < CWaveWnd::kMaxSpan);
    } else {
        const int n = trend_->Zoom(id == kTrendZoomIn);
        buttons_[kTrendZoomIn]->setEnabled(n > CCurseWnd::kMinSpan);
        buttons_[kTrendZoomOut]->setEnabled(n < CCurseWnd::kMaxSpan);
    }
}

void CRealDlg::StopStream() {
    if (stopped_ || !initialised_)
        return;
    stopped_ = true;
    // The worker within the stop rule, then from here the stop request, the drain and the
    // close. A worker that had to be cancelled has already been joined, so the window can
    // always close: there is no worker that can be neither awaited nor cancelled.
    run_->Stop(true);
    sink_->EndRun();
}

void CRealDlg::done(int result) {
    StopStream();
    CMyDialog::done(result);
}

} // namespace zel
