#include "live/CRecordDlg.h"

#include "common/DeviceText.h"
#include "common/LocalTime.h"
#include "live/LiveEventWatch.h"
#include "live/LiveRecordSink.h"
#include "records/EventLimitsConfig.h"
#include "widgets/CTimeWnd.h"
#include "widgets/ClientEdgeFrame.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace zel {

CRecordDlg::CRecordDlg(const DeviceStatus& status, DeviceLink& link, QWidget* parent,
                       const std::string& recordDirectory)
    : CMyDialog(parent, false), status_(status), link_(link) {
    const QFont font = ShellDlgFont(8);
    setFont(font);
    const DialogUnits du(font);
    resize(du.X(336), du.Y(165));
    SetTitle(tr("Velquist－数据录制"));

    startButton_ = new QPushButton(tr("开始录制"), this);
    startButton_->setObjectName(QString::number(kStart));
    startButton_->setGeometry(du.ToPixels(96, 114, 70, 19));
    stopButton_ = new QPushButton(tr("停止录制"), this);
    stopButton_->setObjectName(QString::number(kStop));
    stopButton_->setGeometry(du.ToPixels(197, 113, 72, 19));
    for (QPushButton* button : {startButton_, stopButton_})
        button->setAutoDefault(false);
    connect(startButton_, &QPushButton::clicked, this, &CRecordDlg::Start);
    connect(stopButton_, &QPushButton::clicked, this, &CRecordDlg::Stop);

    // The bar has a sunken edge and no border here.
    linkLine_ = new QLabel(this);
    linkLine_->setObjectName(QString::number(kLinkLine));
    linkLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    infoBarFrame_ = new ClientEdgeFrame(this, ClientEdgeFrame::Border::None);
    infoBar_ = new CTimeWnd;
    infoBarFrame_->SetChild(infoBar_);
    LayOut(rect());
    infoBar_->SetDevice(DeviceNumber(status_.serial), status_.version);

    // The bar counts the events and tells the last one.
    events_ = std::make_unique<LiveEventWatch>(this, infoBar_);
    const std::string config = EventLimitsFile();
    events_->SetLimits(ReadEventLimits(config), ReadEventSound(config));
    LiveEventWatch* events = events_.get();
    sink_ = std::make_unique<LiveRecordSink>(
        this, infoBar_, "R", status_, recordDirectory, [events](const SampleBlock& block) {
            events->Check(static_cast<std::int32_t>(block.ch1Current),
                          static_cast<std::int32_t>(block.ch2Current), NowSeconds());
        });
    sink_->SetLinkLine(linkLine_);
    sink_->SetGapHandler([events] { events->Break(); });
    run_ = std::make_unique<LiveRun>(link_, LiveStreamParams{std::chrono::milliseconds(10), false},
                                     *sink_);
}

CRecordDlg::~CRecordDlg() {
    if (run_->Started())
        Stop();
}

void CRecordDlg::LayOut(const QRect& client) {
    const int W = client.width(), H = client.height();
    // Left, top, right and bottom edges at 5, 30, W - 10 and H - 120.
    infoBarFrame_->Place(
        QRect(client.left() + 5, client.top() + 30, std::max(0, W - 15), std::max(0, H - 150)));
    linkLine_->setGeometry(client.left() + 5, client.top() + H - 117, std::max(0, W - 15), 17);
}

void CRecordDlg::Start() {
    startButton_->setEnabled(false);
    stopButton_->setEnabled(true);
    sink_->ClearLinkLine();
    // Each run counts its own events, as the bar counts its own blocks.
    events_->SetLimits(events_->Limits(), events_->Sound());
    run_->Start();
}

void CRecordDlg::Stop() {
    // The worker within the stop rule; the stop request when one was started; no drain: what
    // the instrument still sends goes with the connection. The link is closed in any case.
    run_->Stop(false);
    // A stopped run is not reconnecting, whatever its worker said last.
    sink_->EndRun();
    startButton_->setEnabled(true);
    stopButton_->setEnabled(false);
}

QPushButton* CRecordDlg::Button(int id) const {
    return id == kStart ? startButton_ : id == kStop ? stopButton_ : nullptr;
}

std::string CRecordDlg::RecordPath() const {
    return sink_->RecordPath();
}

std::vector<std::string> CRecordDlg::RecordPaths() const {
    std::vector<std::string> paths;
    for (const WaveformRecorder::File& file : sink_->Recorder().Files())
        paths.push_back(file.path);
    return paths;
}

void CRecordDlg::done(int result) {
    Stop();
    CMyDialog::done(result);
}

} // namespace zel
