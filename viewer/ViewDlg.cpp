#include "viewer/ViewDlg.h"

#include "common/DeviceText.h"
#include "common/LocalTime.h"
#include "common/ModuleDirectory.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "plot/WindowPicture.h"
#include "records/RecordFile.h"
#include "viewer/CursorPairReadout.h"
#include "viewer/RecordFollower.h"
#include "viewer/ViewerClock.h"
#include "viewer/ViewerCompare.h"
#include "viewer/ViewerEvents.h"
#include "viewer/ViewerKeys.h"
#include "viewer/ViewerLayout.h"
#include "viewer/ViewerMenus.h"
#include "viewer/ViewerNotes.h"
#include "viewer/ViewerProgress.h"
#include "viewer/ViewerStatistics.h"
#include "widgets/AccessibleText.h"
#include "widgets/CDigital.h"
#include "widgets/CTimeWnd.h"
#include "widgets/ClientEdgeFrame.h"
#include "widgets/DialogUnits.h"
#include "widgets/FileDialog.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBox.h"
#include "widgets/PopupMenu.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <cstring>

namespace zel {

namespace {

struct ControlText {
    int id;
    const char* text;
};

constexpr ControlText kButtons[] = {
    {CViewDlg::kOpen, QT_TRANSLATE_NOOP("zel::CViewDlg", "打开...")},
    {CViewDlg::kCut, QT_TRANSLATE_NOOP("zel::CViewDlg", "截取")},
    {CViewDlg::kWaveZoomIn, QT_TRANSLATE_NOOP("zel::CViewDlg", "波形放大")},
    {CViewDlg::kWaveZoomOut, QT_TRANSLATE_NOOP("zel::CViewDlg", "波形缩小")},
    {CViewDlg::kTrendZoomIn, QT_TRANSLATE_NOOP("zel::CViewDlg", "曲线放大")},
    {CViewDlg::kTrendZoomOut, QT_TRANSLATE_NOOP("zel::CViewDlg", "曲线缩小")},
    {CViewDlg::kPlay, QT_TRANSLATE_NOOP("zel::CViewDlg", "播放")},
};

constexpr ControlText kLabels[] = {
    {1017, QT_TRANSLATE_NOOP("zel::CViewDlg", "CH1波形：")},
    {1018, QT_TRANSLATE_NOOP("zel::CViewDlg", "CH2波形：")},
    {1022, QT_TRANSLATE_NOOP("zel::CViewDlg", "CH1曲线(A)：")},
    {1021, QT_TRANSLATE_NOOP("zel::CViewDlg", "CH2曲线(A)：")},
    {1020, QT_TRANSLATE_NOOP("zel::CViewDlg", "电流差：")},
    {1019, QT_TRANSLATE_NOOP("zel::CViewDlg", "不平衡系数(%)：")},
};

constexpr int kMaxSpeed = 10;

QString LoadFailureText(const QString& path, const RecordReadFailure& failure) {
    const QString name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
    switch (failure.reason) {
    case RecordReadFailure::Reason::NotRecordFile:
        return QCoreApplication::translate("zel::CViewDlg", "不是记录文件：%1").arg(name);
    case RecordReadFailure::Reason::NotRegularFile:
        return QCoreApplication::translate("zel::CViewDlg", "无法读取 %1：不是普通文件").arg(name);
    case RecordReadFailure::Reason::CannotOpen:
    case RecordReadFailure::Reason::ReadError:
    case RecordReadFailure::Reason::None:
        break;
    }
    return QCoreApplication::translate("zel::CViewDlg", "无法读取 %1：%2")
        .arg(name, QString::fromLocal8Bit(std::strerror(failure.systemError)));
}

// The first local record file among dropped items.
QString DroppedRecord(const QMimeData* mime) {
    if (!mime)
        return {};
    for (const QUrl& url : mime->urls()) {
        const QString path = url.toLocalFile();
        if (url.isLocalFile() && path.endsWith(QStringLiteral(".zmr"), Qt::CaseInsensitive))
            return path;
    }
    return {};
}

} // namespace

CViewDlg::CViewDlg(QWidget* parent) : CMyDialog(parent, false) {
    setFont(ShellDlgFont(8));
    setAcceptDrops(true);
    const DialogUnits du(font());
    resize(du.X(467), du.Y(244));
    CreateControls();
    ShowMaximizedInWorkArea();
    ShowTitle();

    // Created in this order at a placeholder size; the layout moves them at once.
    const auto framed = [this](QWidget* child) {
        auto* frame = new ClientEdgeFrame(this);
        frame->setGeometry(0, 0, 100, 100);
        frame->SetChild(child);
        child->setObjectName(QStringLiteral("0"));
        return frame;
    };
    wave_ = new CWaveWnd;
    waveEdge_ = framed(wave_);
    trend_ = new CCurseWnd;
    trendEdge_ = framed(trend_);
    bar_ = new CTimeWnd;
    barEdge_ = framed(bar_);
    for (CPlotWnd* plot : {static_cast<CPlotWnd*>(wave_), static_cast<CPlotWnd*>(trend_)}) {
        plot->EnableScrollBar();
        plot->SetCursorNotify([this](int code) { OnCursor(code); });
    }
    trend_->EnableRangeSelection();
    progress_ = new ViewerProgress(this);
    statistics_ = std::make_unique<ViewerStatistics>(this);
    notes_ = std::make_unique<ViewerNotes>(this);
    cursorPair_ = std::make_unique<CursorPairReadout>(this);
    clock_ = std::make_unique<ViewerClock>(this);
    keys_ = std::make_unique<ViewerKeys>(this);
    compare_ = std::make_unique<ViewerCompare>(this);
    events_ = std::make_unique<ViewerEvents>(this);
    follower_ =
        std::make_unique<RecordFollower>([this](const auto& record) { OnRecordGrown(record); },
                                         [this](const auto& record) { OnFollowEnded(record); });

    LayOut(true);
    wave_->ResetCursor();
    trend_->ResetCursor();
    slider_->setRange(0, kMaxSpeed);
    speed_ = slider_->value();
}

CViewDlg::~CViewDlg() = default;

void CViewDlg::CreateControls() {
    // The frames first, so that what they surround is drawn over them.
    for (int id : {kButtonFrame, kReadoutFrame}) {
        auto* frame = new QFrame(this);
        frame->setObjectName(QString::number(id));
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Plain);
        frame->setStyleSheet(QStringLiteral("color: black"));
        controls_[id] = frame;
    }
    for (const ControlText& b : kButtons) {
        auto* button = new QPushButton(tr(b.text), this);
        button->setObjectName(QString::number(b.id));
        button->setAutoDefault(false);
        const int id = b.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            switch (id) {
            case kOpen:
                OnOpen();
                break;
            case kCut:
                OnCut();
                break;
            case kPlay:
                OnPlay();
                break;
            default:
                OnZoom(id);
                break;
            }
        });
        controls_[id] = button;
    }
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QString::number(kSpeed));
    slider_->setTickPosition(QSlider::NoTicks);
    connect(slider_, &QSlider::valueChanged, this, &CViewDlg::OnSpeedChanged);
    controls_[kSpeed] = slider_;
    for (const ControlText& l : kLabels) {
        auto* label = new QLabel(tr(l.text), this);
        label->setObjectName(QString::number(l.id));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        controls_[l.id] = label;
    }
    for (int k = 0; k < 6; ++k) {
        readouts_[k] = new CDigital(this);
        readouts_[k]->setObjectName(QString::number(kReadout1 + k));
        controls_[kReadout1 + k] = readouts_[k];
        ExposeReadout(readouts_[k], ReadoutCaption(k));
    }
}

CDigital* CViewDlg::Readout(int id) const {
    return id >= kReadout1 && id < kReadout1 + 6 ? readouts_[id - kReadout1] : nullptr;
}

QPushButton* CViewDlg::Button(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : qobject_cast<QPushButton*>(found->second);
}

void CViewDlg::LayOut(bool withWave) {
    // The bar as wide as its lines need in this face, where 199 pixels are not enough.
    const int bar =
        std::max(ViewerLayout::kBarWidth, CTimeWnd::WidthFor() + 2 * barEdge_->EdgeWidth());
    const ViewerLayout layout = ViewerLayout::For(rect(), withWave, bar);
    for (const auto& [id, box] : layout.controls)
        controls_.at(id)->setGeometry(box);
    barEdge_->Place(layout.bar);
    trendEdge_->Place(layout.trend);
    if (withWave) {
        waveEdge_->Place(layout.wave);
        waveEdge_->show();
        Button(kWaveZoomIn)->setEnabled(true);
        Button(kWaveZoomOut)->setEnabled(true);
        wave_->ResetCursor();
    } else {
        waveEdge_->hide();
        Button(kWaveZoomIn)->setEnabled(false);
        Button(kWaveZoomOut)->setEnabled(false);
    }
    trend_->ResetCursor();
    Button(kPlay)->setEnabled(false);
}

bool CViewDlg::OpenRecord(const QString& path) {
    if (playing_)
        return false;
    RecordReadFailure failure;
    auto image = OpenRecordImage(QFile::encodeName(path).toStdString(), &failure);
    if (!image) {
        MessageBox::Error(this, LoadFailureText(path, failure));
        return false;
    }
    // A waveform record stays in its file: the waveform plot reads the blocks in view, and the
    // trend plot the currents, which a scan gathers while the start of the record is shown.
    if (image->file)
        image->currents = RecordCurrents::Scan(image->file);
    // One copy of the record, shared read-only by the plots that show it.
    const auto record = std::make_shared<const RecordImage>(std::move(*image));
    hasWave_ = !record->IsTrend();
    LayOut(hasWave_);
    if (hasWave_) {
        wave_->SetSeries(WaveSeries(record->file));
        trend_->SetSeries(TrendSeries(record->currents));
    } else {
        // The hidden waveform plot lets go of the previous record instead of keeping it.
        wave_->SetSeries(WaveSeries());
        trend_->SetSeries(TrendSeries(
            std::shared_ptr<const std::vector<TrendBlock>>(record, &record->trendBlocks)));
    }
    const RecordFileHeader& header = record->header;
    ShowRecordInfo(RecordDeviceNumber(header.deviceNumber),
                   static_cast<std::int16_t>(header.deviceVersion), header.startTime,
                   header.dataCount);
    UpdateZoomButtons();
    Button(kPlay)->setEnabled(true);
    statistics_->SetRecord(record, path);
    notes_->SetRecord(record, path);
    cursorPair_->SetRecord(record);
    clock_->SetRecord(record);
    compare_->SetRecord(record);
    events_->SetRecord(record, path);
    // A record its writer is still writing opens at its end, like `tail -f`, and follows.
    followedPath_ = path;
    grew_ = false;
    if (follower_->Follow(record, path)) {
        if (hasWave_)
            wave_->Scroll(ScrollRequest::ThumbPosition,
                          std::max(0, wave_->BlockCount() - wave_->Span()));
        trend_->Scroll(ScrollRequest::ThumbPosition,
                       std::max(0, trend_->PointCount() - trend_->Span()));
    }
    ShowTitle();
    return true;
}

void CViewDlg::ShowTitle() {
    SetTitle(follower_ && follower_->Following() ? tr("Velquist－记录查看（记录增长中）")
                                                 : tr("Velquist－记录查看"));
}

void CViewDlg::OnRecordGrown(const std::shared_ptr<const RecordImage>& record) {
    grew_ = true;
    if (hasWave_) {
        wave_->GrowSeries(record->file);
        trend_->GrowSeries(TrendSeries(record->currents));
    } else {
        trend_->GrowSeries(TrendSeries(
            std::shared_ptr<const std::vector<TrendBlock>>(record, &record->trendBlocks)));
    }
    bar_->SetDataCount(QString::number(record->header.dataCount));
    UpdateZoomButtons();
    ShowTitle(); // a record without its writer's mark is known to grow only now
}

void CViewDlg::OnFollowEnded(const std::shared_ptr<const RecordImage>& record) {
    ShowTitle();
    // The parts that describe the whole record take it as it ended; while it grew they kept
    // the record as it was opened.
    if (!grew_ || !record)
        return;
    statistics_->SetRecord(record, followedPath_);
    notes_->SetRecord(record, followedPath_);
    cursorPair_->SetRecord(record);
    events_->SetRecord(record, followedPath_);
}

void CViewDlg::ShowRecordInfo(int deviceNumber, int version, std::int64_t startTime,
                              int dataCount) {
    bar_->SetDevice(deviceNumber, version);
    bar_->SetStartTime(QString::fromStdString(FormatLocalTime(startTime, "%Y-%m-%d %H:%M:%S")));
    bar_->SetDataCount(QString::number(dataCount));
}

void CViewDlg::OnOpen() {
    const QString path = FileDialog::GetOpenFileName(
        this, QStringLiteral("Zelmarine Files (*.zmr)"), QStringLiteral("zmr"));
    if (!path.isEmpty())
        OpenRecord(path);
}

int CViewDlg::RunMenu(int menuId, int buttonId) {
    const auto menu = LoadViewerMenu(menuId, this);
    const QWidget* button = controls_.at(buttonId);
    const QAction* chosen =
        PopupMenu::Exec(*menu, button->mapToGlobal(QPoint(0, button->height())));
    return chosen ? chosen->data().toInt() : 0;
}

void CViewDlg::OnCut() {
    if (!hasWave_) {
        SavePlot(trend_);
        return;
    }
    switch (RunMenu(kCutMenu, kCut)) {
    case kCutWave:
        SavePlot(wave_);
        break;
    case kCutTrend:
        SavePlot(trend_);
        break;
    default:
        break;
    }
}

void CViewDlg::SavePlot(CPlotWnd* plot) {
    // A dialog told to start in a folder that does not exist starts somewhere else.
    const QString folder = QString::fromStdString(PictureDirectory());
    QDir().mkpath(folder);
    const QString path =
        FileDialog::GetSaveFileName(this, PictureFileFilter(), QStringLiteral("bmp"), folder);
    if (path.isEmpty())
        return;
    if (!SaveWindowPicture(path, plot))
        MessageBox::Error(this, tr("无法写入图片文件：%1").arg(QDir::toNativeSeparators(path)));
}

void CViewDlg::OnPlay() {
    if (playing_) {
        StopPlay();
        return;
    }
    if (!hasWave_) {
        StartPlay(PlayTrendOnly);
        return;
    }
    switch (RunMenu(kPlayMenu, kPlay)) {
    case kPlayBoth:
        StartPlay(PlayBoth);
        break;
    case kPlayWave:
        StartPlay(PlayWaveOnly);
        break;
    case kPlayTrend:
        StartPlay(PlayTrendOnly);
        break;
    default:
        break;
    }
}

void CViewDlg::StartPlay(int mode) {
    for (int id : {kOpen, kCut, kWaveZoomIn, kWaveZoomOut, kTrendZoomIn, kTrendZoomOut})
        Button(id)->setEnabled(false);
    Button(kPlay)->setText(tr("停止"));
    speed_ = slider_->value();
    playing_ = true;
    playMode_ = mode;
    statistics_->SetPlaying(true);
    events_->SetPlaying(true);
    if (mode != PlayTrendOnly)
        wave_->Play(speed_);
    if (mode != PlayWaveOnly)
        trend_->Play(speed_);
}

void CViewDlg::StopPlay() {
    Button(kOpen)->setEnabled(true);
    Button(kCut)->setEnabled(true);
    UpdateZoomButtons();
    Button(kPlay)->setText(tr("播放"));
    if (playMode_ != PlayTrendOnly)
        wave_->StopPlay();
    if (playMode_ != PlayWaveOnly)
        trend_->StopPlay();
    playing_ = false;
    statistics_->SetPlaying(false);
    events_->SetPlaying(false);
}

void CViewDlg::OnSpeedChanged(int position) {
    // Outside playback the slider only chooses the speed of the next start.
    if (playing_ && position != speed_)
        StartPlay(playMode_);
}

void CViewDlg::OnZoom(int id) {
    const bool in = id == kWaveZoomIn || id == kTrendZoomIn;
    const bool wave = id == kWaveZoomIn || id == kWaveZoomOut;
    Button(id)->setEnabled(false);
    if (wave)
        wave_->Zoom(in);
    else
        trend_->Zoom(in);
    UpdateZoomButtons();
}

void CViewDlg::UpdateZoomButtons() {
    // From what each plot would grant now, also after a refused step: a refusal at one end
    // must not disable the way back.
    Button(kWaveZoomIn)->setEnabled(hasWave_ && wave_->CanZoom(true));
    Button(kWaveZoomOut)->setEnabled(hasWave_ && wave_->CanZoom(false));
    Button(kTrendZoomIn)->setEnabled(trend_->CanZoom(true));
    Button(kTrendZoomOut)->setEnabled(trend_->CanZoom(false));
}

void CViewDlg::OnCursor(int code) {
    const auto show = [this](int id, int value) { Readout(id)->SetText(QString::number(value)); };
    switch (code) {
    case CursorTrendValid: {
        const int a = trend_->CursorCh1(), b = trend_->CursorCh2();
        show(1003, a);
        show(1004, b);
        show(1005, CurrentDifference(a, b));
        show(1006, UnbalanceCoefficient(a, b));
        if (cursorPair_) // not yet while the constructor lays out
            cursorPair_->Update();
        if (compare_)
            compare_->Update();
        break;
    }
    case CursorTrendEmpty:
        for (int id : {1003, 1004, 1005, 1006})
            Readout(id)->SetText(QString());
        if (cursorPair_) // not yet while the constructor lays out
            cursorPair_->Update();
        break;
    case CursorWaveEmpty:
        Readout(1001)->SetText(QString());
        Readout(1002)->SetText(QString());
        break;
    case CursorWaveValid:
        show(1001, wave_->CursorCh1());
        show(1002, wave_->CursorCh2());
        break;
    default:
        break;
    }
}

void CViewDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!playing_ && !DroppedRecord(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CViewDlg::dropEvent(QDropEvent* event) {
    const QString path = DroppedRecord(event->mimeData());
    if (playing_ || path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened after the drop has ended: a failure's message box must not run inside it.
    QMetaObject::invokeMethod(
        this, [this, path] { OpenRecord(path); }, Qt::QueuedConnection);
}

} // namespace zel
