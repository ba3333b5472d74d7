#include "viewer/ViewerCompare.h"

#include "plot/CurseWnd.h"
#include "records/RecordPoints.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerProgress.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageBox.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <thread>

namespace zel {

namespace {

// Between looks at the scan of a waveform record's currents and at the cancel flag.
constexpr auto kScanPoll = std::chrono::milliseconds(5);

// Lighter than the plot's own green and red.
const QColor kOverlayColour[2] = {QColor(170, 255, 170), QColor(255, 170, 170)};

// The overlay's curves, drawn over the trend plot in its scale, one point per device column
// at most (the first of each column: enough to follow a second record by eye).
class CompareOverlay : public QWidget {
public:
    CompareOverlay(CCurseWnd* plot, const ViewerCompare* compare)
        : QWidget(plot), plot_(plot), compare_(compare) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(plot->rect());
        raise();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const RecordImage* other = compare_->Other();
        if (!other)
            return;
        const RecordPoints points(*other);
        const QRect client = plot_->ClientRect();
        const int W = client.width(), span = plot_->Span(), first = plot_->First();
        const float scale = plot_->Scale();
        if (W <= 0 || span <= 0 || scale <= 0)
            return;
        const double baseline = client.height() - 5;
        QPolygonF curve[2];
        int lastX = -1;
        for (int k = 0; k <= span; ++k) {
            const auto o = compare_->OtherPoint(first + k);
            const int x = static_cast<int>(static_cast<double>(k) / span * W);
            if (!o || x == lastX)
                continue;
            lastX = x;
            const TrendPoint p = points.At(*o);
            curve[0] << QPointF(client.left() + x,
                                client.top() + baseline - p.ch1 / scale * baseline);
            curve[1] << QPointF(client.left() + x,
                                client.top() + baseline - p.ch2 / scale * baseline);
        }
        QPainter painter(this);
        painter.setClipRect(client);
        for (int r = 0; r < 2; ++r) {
            painter.setPen(QPen(kOverlayColour[r], 0, Qt::DashLine));
            painter.drawPolyline(curve[r]);
        }
    }

private:
    CCurseWnd* plot_;
    const ViewerCompare* compare_;
};

std::int64_t LastSecond(const RecordImage& image) {
    const RecordPoints points(image);
    return points.Seconds(std::max<std::int64_t>(0, points.Count() - 1));
}

} // namespace

ViewerCompare::ViewerCompare(CViewDlg* viewer) : viewer_(viewer), job_(this) {
    CCurseWnd* trend = viewer->TrendPlot();
    overlay_ = new CompareOverlay(trend, this);
    readout_ = new QLabel(viewer);
    readout_->setObjectName(QStringLiteral("compareReadout"));
    readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
    readout_->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: rgba(20, 20, 20, 215);"
                       " border: 1px solid rgb(170, 255, 170); padding: 3px; }"));
    readout_->hide();
    trend->installEventFilter(this);
    viewer->installEventFilter(this);
}

ViewerCompare::~ViewerCompare() {
    job_.Cancel();
}

void ViewerCompare::SetRecord(std::shared_ptr<const RecordImage> record) {
    record_ = std::move(record);
    Close();
}

bool ViewerCompare::Overlaps(const RecordImage& other) const {
    return record_ && other.header.startTime <= LastSecond(*record_) &&
           record_->header.startTime <= LastSecond(other);
}

void ViewerCompare::AskAndOpen() {
    const QString path = FileDialog::GetOpenFileName(
        viewer_, QStringLiteral("Zelmarine Files (*.zmr)"), QStringLiteral("zmr"));
    if (!path.isEmpty())
        Open(path);
}

ViewerCompare::Loaded ViewerCompare::Load(const std::string& path,
                                          const std::atomic<bool>& cancelled,
                                          std::atomic<int>& progress) {
    Loaded loaded;
    auto image = OpenRecordImage(path, &loaded.failure);
    if (!image)
        return loaded;
    if (image->file) {
        // The overlay draws from the currents alone; a point not yet scanned would be read
        // from the file on the window's thread, so the overlay waits for the whole scan.
        image->currents = RecordCurrents::Scan(image->file);
        const RecordCurrents& currents = *image->currents;
        const std::int64_t count = currents.Count();
        while (currents.Scanned() < count) {
            // Dropping the image stops its scan within one read.
            if (cancelled.load())
                return {};
            progress.store(static_cast<int>(1000 * currents.Scanned() / count),
                           std::memory_order_relaxed);
            std::this_thread::sleep_for(kScanPoll);
        }
    }
    progress.store(1000, std::memory_order_relaxed);
    loaded.image = std::make_shared<const RecordImage>(std::move(*image));
    return loaded;
}

bool ViewerCompare::Open(const QString& path) {
    if (!record_ || job_.Busy())
        return false;
    const QString name = QFileInfo(path).fileName();
    const auto progress = viewer_->Progress()->Begin(
        tr("正在读取对比记录 %1…").arg(name), [this] { CancelLoad(); }, 0);
    if (!progress)
        return false;
    const std::string file = QFile::encodeName(path).toStdString();
    job_.Start<Loaded>(
        [file, progress](const std::atomic<bool>& cancelled) {
            return Load(file, cancelled, *progress);
        },
        [this, path](Loaded loaded) { Finish(path, loaded); });
    return true;
}

void ViewerCompare::CancelLoad() {
    if (!job_.Busy())
        return;
    job_.Cancel();
    viewer_->Progress()->End();
    emit LoadFinished(false);
}

void ViewerCompare::Finish(const QString& path, const Loaded& loaded) {
    viewer_->Progress()->End();
    const QString name = QFileInfo(path).fileName();
    if (!loaded.image) {
        MessageBox::Error(viewer_, tr("无法读取对比记录：%1").arg(name));
        emit LoadFinished(false);
        return;
    }
    Align align = align_;
    if (align == Align::ClockTime && !Overlaps(*loaded.image)) {
        if (MessageBox::Question(viewer_, tr("%1 与当前记录的时间没有重叠，"
                                             "无法按时刻对齐。按开始时间对齐吗？")
                                              .arg(name)) != MessageBox::Answer::Yes) {
            emit LoadFinished(false);
            return;
        }
        align = Align::Start;
    }
    other_ = loaded.image;
    otherName_ = name;
    align_ = align;
    SetAlignment(align_);
    emit LoadFinished(true);
}

void ViewerCompare::Close() {
    CancelLoad();
    other_.reset();
    otherName_.clear();
    readout_->hide();
    overlay_->update();
}

bool ViewerCompare::SetAlignment(Align align) {
    if (other_ && align == Align::ClockTime && !Overlaps(*other_)) {
        MessageBox::Error(viewer_, tr("两个记录的时间没有重叠，无法按时刻对齐"));
        return false;
    }
    align_ = align;
    offset_ = other_ && align == Align::ClockTime
                  ? 2 * (other_->header.startTime - record_->header.startTime)
                  : 0;
    overlay_->update();
    Update();
    return true;
}

std::optional<std::int64_t> ViewerCompare::OtherPoint(std::int64_t index) const {
    if (!other_)
        return std::nullopt;
    const std::int64_t o = index - offset_;
    if (o < 0 || o >= RecordPoints(*other_).Count())
        return std::nullopt;
    return o;
}

void ViewerCompare::Update() {
    if (!other_) {
        readout_->hide();
        return;
    }
    std::optional<std::int64_t> o;
    if (const auto a = viewer_->TrendPlot()->CursorPoint())
        o = OtherPoint(*a);
    QString text = tr("对比 %1").arg(otherName_);
    if (o) {
        const TrendPoint p = RecordPoints(*other_).At(*o);
        text += QStringLiteral("\nCH1 %1  CH2 %2  (%3)")
                    .arg(p.ch1)
                    .arg(p.ch2)
                    .arg(QString::fromStdString(RecordPoints(*other_).PreciseTimeText(*o)));
    } else {
        text += tr("\n光标处无数据");
    }
    readout_->setText(text);
    readout_->adjustSize();
    const CCurseWnd* trend = viewer_->TrendPlot();
    const QRect client = trend->ClientRect();
    readout_->move(
        trend->mapTo(viewer_, QPoint(client.right() - readout_->width() - 160, client.top() + 6)));
    readout_->show();
    readout_->raise();
}

bool ViewerCompare::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewer_->TrendPlot() && event->type() == QEvent::Resize)
        overlay_->setGeometry(viewer_->TrendPlot()->rect());
    // Closing the viewer, not minimising it, ends a reading under way.
    if (watched == viewer_ && event->type() == QEvent::Hide && !event->spontaneous())
        CancelLoad();
    return QObject::eventFilter(watched, event);
}

} // namespace zel
