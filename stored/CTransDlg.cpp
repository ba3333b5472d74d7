#include "stored/CTransDlg.h"

#include "stored/ReportList.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBox.h"
#include "widgets/Translations.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace zel {

namespace {

const char* const kStartCaption = QT_TRANSLATE_NOOP("zel::CTransDlg", "开始传输");
const char* const kStopCaption = QT_TRANSLATE_NOOP("zel::CTransDlg", "停止传输");

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CTransDlg::CTransDlg(DeviceLink& link, const DeviceStatus& status, QWidget* parent,
                     std::string recordDirectory)
    : CMyDialog(parent, false), link_(link), status_(status),
      recordDirectory_(std::move(recordDirectory)), worker_(link) {
    setFont(ShellDlgFont(8));
    const DialogUnits du(font());
    resize(du.X(600), du.Y(349));
    SetTitle(tr("Velquist-记录传输"));
    CreateControls();
}

CTransDlg::~CTransDlg() {
    // A window taken down without a close request still stops its worker first.
    if (worker_.Started()) {
        transferring_.store(false);
        EndWorker();
    }
}

void CTransDlg::CreateControls() {
    const DialogUnits du(font());
    statusText_ = new QLabel(this);
    statusText_->setObjectName(QString::number(kStatusText));
    statusText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statusText_->setGeometry(du.ToPixels(6, 19, 106, 8).adjusted(0, -2, 40, 4));

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QString::number(kProgress));
    progress_->setGeometry(du.ToPixels(2, 30, 444, 12));
    progress_->setTextVisible(false);
    progress_->setRange(0, 100);
    progress_->setValue(0);

    start_ = new QPushButton(tr(kStartCaption), this);
    start_->setObjectName(QString::number(kStartButton));
    start_->setGeometry(du.ToPixels(456, 21, 68, 23));
    start_->setAutoDefault(false);
    connect(start_, &QPushButton::clicked, this, &CTransDlg::OnStart);

    clear_ = new QPushButton(tr("清除"), this);
    clear_->setObjectName(QString::number(kClearButton));
    clear_->setGeometry(du.ToPixels(529, 21, 68, 23));
    clear_->setAutoDefault(false);
    connect(clear_, &QPushButton::clicked, this, &CTransDlg::OnClear);

    list_ = new ReportList({tr("序号"), tr("文件名"), tr("开始时间"), tr("数据数")}, this);
    list_->setObjectName(QString::number(kList));
    list_->setGeometry(du.ToPixels(1, 46, 596, 300));
}

void CTransDlg::SetStatusText(const QString& text) {
    statusText_->setText(text);
    emit StatusTextChanged(text);
}

void CTransDlg::OnStart() {
    if (transferring_.load()) {
        StopTransfer();
        start_->setText(tr(kStartCaption));
        return;
    }
    // The status the window was opened with, or the one the last run read.
    if (status_.recordSlots == 0) {
        MessageBox::Error(this, tr("无存储数据!"));
        return;
    }
    start_->setEnabled(false);
    // The link serves one task at a time: no clearing while the transfer may use it.
    clear_->setEnabled(false);
    transferring_.store(true);
    StartWorker();
    start_->setText(tr(kStopCaption));
}

void CTransDlg::StartWorker() {
    cancelled_.store(false);
    const int generation = ++generation_;
    const DeviceStatus status = status_;
    worker_.Start([this, generation, status] { RunWorker(generation, status); },
                  [this] { cancelled_.store(true); });
}

template <typename F> void CTransDlg::Post(int generation, F&& f) {
    if (cancelled_.load())
        return;
    QPointer<CTransDlg> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, generation, f = std::forward<F>(f)] {
            if (self && self->generation_ == generation)
                f(*self);
        },
        Qt::QueuedConnection);
}

void CTransDlg::RunWorker(int generation, DeviceStatus status) {
    TransferEvents events;
    events.statusText = [this, generation](const std::string& text) {
        Post(generation, [text](CTransDlg& w) { w.SetStatusText(DeviceText(text)); });
    };
    events.progressRange = [this, generation](int n) {
        Post(generation, [n](CTransDlg& w) { w.progress_->setRange(0, n); });
    };
    events.progressPosition = [this, generation](int position) {
        Post(generation, [position](CTransDlg& w) { w.progress_->setValue(position); });
    };
    events.fileDone = [this, generation](const RecordFileSummary& s) {
        Post(generation, [s](CTransDlg& w) {
            w.list_->AppendRow({QString::number(s.number), FromUtf8(s.path), FromUtf8(s.startTime),
                                QString::number(s.blocks)});
        });
    };
    const TransferOutcome outcome =
        RunRecordTransfer(link_, status, transferring_, transferring_, events, recordDirectory_);
    if (outcome == TransferOutcome::Completed)
        transferring_.store(false);
    Post(generation, [outcome, status](CTransDlg& w) { w.Finish(outcome, status); });
}

void CTransDlg::Finish(TransferOutcome outcome, const DeviceStatus& status) {
    status_ = status;
    clear_->setEnabled(true);
    const QString message = DeviceText(TransferMessage(outcome));
    switch (outcome) {
    case TransferOutcome::ConnectFailed:
    case TransferOutcome::StatusFailed:
        // Early failure: the button now stops, and a new start may follow.
        start_->setEnabled(true);
        MessageBox::Error(this, message);
        break;
    case TransferOutcome::NoRecords:
    case TransferOutcome::WriteFailed:
        MessageBox::Error(this, message);
        break;
    case TransferOutcome::DownloadFailed:
    case TransferOutcome::Completed:
        MessageBox::Information(this, message);
        break;
    case TransferOutcome::Stopped:
        break;
    }
}

void CTransDlg::StopTransfer() {
    start_->setEnabled(false);
    transferring_.store(false);
    SetStatusText(tr("传输已停止"));
    progress_->setValue(0);
    EndWorker();
    start_->setEnabled(true);
    clear_->setEnabled(true);
}

void CTransDlg::EndWorker() {
    // Whatever the worker still has queued is dropped from here on.
    ++generation_;
    // Waits at most 200 ms, then aborts the link so that a blocked request returns at once.
    worker_.Stop();
    link_.Close();
}

void CTransDlg::OnClear() {
    if (WorkerBusy()) {
        MessageBox::Error(this, tr("正在传输数据,请先停止传输!"));
        return;
    }
    // Clearing destroys every recording on the instrument; ask first.
    if (MessageBox::Question(this, tr("确定要清除设备中的全部存储数据吗?")) !=
        MessageBox::Answer::Yes)
        return;
    if (!link_.Connect()) {
        MessageBox::Error(this, tr("连接设备失败!"));
        return;
    }
    const bool cleared = link_.ClearStorage();
    link_.Close();
    if (cleared)
        MessageBox::Information(this, tr("清除数据成功!"));
    else
        MessageBox::Error(this, tr("清除数据失败!"));
}

bool CTransDlg::CanClose() {
    if (transferring_.load())
        StopTransfer();
    else if (worker_.Started())
        EndWorker();
    return true;
}

} // namespace zel
