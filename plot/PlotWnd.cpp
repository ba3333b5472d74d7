#include "plot/PlotWnd.h"

#include "plot/CurveRaster.h"
#include "plot/TimeAxisLabels.h"
#include "widgets/Fonts.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace zel {

namespace {

const QColor kChannelColour[2] = {QColor(0, 255, 0), QColor(255, 0, 0)};
const char* const kChannelName[2] = {QT_TRANSLATE_NOOP("zel::CPlotWnd", "通道一(CH1)"),
                                     QT_TRANSLATE_NOOP("zel::CPlotWnd", "通道二(CH2)")};
constexpr int kMinWidth = 35; // one pixel per grid step at least

// Device pixels that hold `logical` client pixels at `ratio`.
int DeviceLength(int logical, qreal ratio) {
    return static_cast<int>(std::ceil(logical * ratio - 1e-9));
}

// The plots label in bold faces.
QFont Bold(QFont font) {
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

CPlotWnd::CPlotWnd(int initialSpan, const QStringList& names, QWidget* parent)
    : QWidget(parent), span_(initialSpan), fontArial_(Bold(ArialFont(12))),
      fontSong_(Bold(SongtiFont(12))), scaleNames(names) {
    // The window's ratio is known once it is shown; until then the application's is the guess.
    pointRatio_ = devicePixelRatioF();
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scaleBox = new QComboBox(this);
    scaleBox->setObjectName("1");
    scaleBox->addItems(scaleNames);
    scaleBox->setCurrentIndex(0);
    scaleBox->setGeometry(2, 2, 78, scaleBox->sizeHint().height());
    scaleBox->hide();
    connect(scaleBox, &QComboBox::currentIndexChanged, this, &CPlotWnd::SelectScale);
    connect(&playTimer, &QTimer::timeout, this, &CPlotWnd::PlayTick);
    connect(&refreshTimer, &QTimer::timeout, this, &CPlotWnd::RefreshTick);
}

CPlotWnd::~CPlotWnd() {
    playTimer.stop();
    refreshTimer.stop();
}

void CPlotWnd::SetCursorNotify(PlotCursorNotify callback) {
    notify = std::move(callback);
}

void CPlotWnd::EnableScrollBar() {
    if (scrollBar)
        return;
    scrollBar = new QScrollBar(Qt::Horizontal, this);
    scrollBar->setFocusPolicy(Qt::NoFocus);
    scrollBar->installEventFilter(this);
    const int h = scrollBar->sizeHint().height();
    setContentsMargins(0, 0, 0, h);
    scrollBar->setGeometry(0, height() - h, width(), h);
    connect(scrollBar, &QScrollBar::actionTriggered, this, &CPlotWnd::OnScrollAction);
}

QString CPlotWnd::AccessibleSummary() const {
    QStringList labels;
    int ch1 = 0, ch2 = 0;
    {
        std::lock_guard guard(lock_);
        labels = TimeAxisLabels({LabelSeconds(0), LabelSeconds(35)}, clockStart_);
        ch1 = cursorCh1_;
        ch2 = cursorCh2_;
    }
    return tr("显示 %1 至 %2，光标处 CH1 %3，CH2 %4")
        .arg(labels.value(0), labels.value(1))
        .arg(ch1)
        .arg(ch2);
}

int CPlotWnd::Span() const {
    std::lock_guard guard(lock_);
    return span_;
}

int CPlotWnd::First() const {
    std::lock_guard guard(lock_);
    return first_;
}

float CPlotWnd::Scale() const {
    std::lock_guard guard(lock_);
    return scale_;
}

bool CPlotWnd::AutoScale() const {
    std::lock_guard guard(lock_);
    return autoScale_;
}

std::vector<QPoint> CPlotWnd::Points(int channel) const {
    std::lock_guard guard(lock_);
    return points_[channel];
}

qreal CPlotWnd::PointRatio() const {
    std::lock_guard guard(lock_);
    return pointRatio_;
}

int CPlotWnd::DeviceCoord(int v) const {
    // QPainter puts an aliased one-pixel line on the pixel where the scaled coordinate falls.
    return static_cast<int>(std::floor(v * pointRatio_));
}

int CPlotWnd::DeviceWidth() const {
    return DeviceLength(Width(), pointRatio_);
}

void CPlotWnd::UseRatio(qreal ratio) {
    std::lock_guard guard(lock_);
    // Only a move to a screen of another scale gets here; then the lists are as stale as after
    // a resize.
    if (ratio == pointRatio_)
        return;
    pointRatio_ = ratio;
    Rebuild();
}

void CPlotWnd::RecordClientRect() {
    clientRect_ = contentsRect();
}

void CPlotWnd::CentreCursor() {
    cursorX_ = clientRect_.left() + Width() / 2;
}

void CPlotWnd::ResetCursor() {
    RecordClientRect();
    CentreCursor();
}

void CPlotWnd::Rebuild() {
    std::lock_guard guard(lock_);
    points_[0].clear();
    points_[1].clear();
    reduced_[0] = reduced_[1] = false;
    // Too narrow for a grid step of one pixel: nothing but the background is drawn.
    if (Width() < kMinWidth || Height() <= 0)
        return;
    BuildPoints();
}

void CPlotWnd::Readout() {
    std::lock_guard guard(lock_);
    const int code = ReadCursor();
    if (notify)
        notify(code);
}

int CPlotWnd::Zoom(bool in) {
    std::unique_lock guard(lock_);
    if (!ZoomAllowed(in))
        return 0;
    RecordClientRect();
    span_ = in ? span_ / 2 : span_ * 2;
    UpdateScrollBar();
    const int n = Count();
    if (n < first_ + span_)
        first_ = std::max(0, n - span_);
    Rebuild();
    Readout();
    const int result = span_;
    guard.unlock();
    update();
    return result;
}

bool CPlotWnd::CanZoom(bool in) const {
    std::lock_guard guard(lock_);
    return ZoomAllowed(in);
}

void CPlotWnd::Play(int speed) {
    // A negative speed would divide by zero at −1; the slowest period is the floor.
    playTimer.start(200 / (std::max(speed, 0) + 1));
}

void CPlotWnd::StopPlay() {
    playTimer.stop();
}

void CPlotWnd::StartAutoRefresh(int periodMs) {
    refreshTimer.start(periodMs);
}

void CPlotWnd::SetScrollBarPos(int pos) {
    const int thumbMax = std::max(0, scrollMax - scrollPage + 1);
    scrollBarPos = std::clamp(pos, 0, thumbMax);
    if (scrollBar) {
        QSignalBlocker block(scrollBar);
        scrollBar->setRange(0, thumbMax);
        scrollBar->setPageStep(std::max(1, scrollPage));
        scrollBar->setValue(scrollBarPos);
    }
}

void CPlotWnd::UpdateScrollBar() {
    if (!scrollable_)
        return;
    StopPlay();
    std::lock_guard guard(lock_);
    scrollMax = Count() - 1;
    scrollPage = span_;
    SetScrollBarPos(scrollPos_);
}

void CPlotWnd::Scroll(ScrollRequest request, int trackPos) {
    std::unique_lock guard(lock_);
    const int n = Count();
    const auto limited = [n](int pos) { return std::clamp(pos, 0, std::max(0, n - 1)); };
    int pos = scrollBarPos;
    switch (request) {
    case ScrollRequest::LineLeft:
        pos = limited(pos - 10);
        break;
    case ScrollRequest::LineRight:
        pos = limited(pos + 10);
        break;
    case ScrollRequest::PageLeft:
        pos = limited(pos - 100);
        break;
    case ScrollRequest::PageRight:
        pos = limited(pos + 100);
        break;
    case ScrollRequest::ThumbPosition:
    case ScrollRequest::ThumbTrack:
        pos = trackPos;
        break;
    case ScrollRequest::ToStart:
        pos = 0;
        break;
    case ScrollRequest::ToEnd:
        pos = n - 1;
        break;
    case ScrollRequest::EndScroll:
        break;
    }
    SetScrollBarPos(pos);
    if (n == 0)
        return;
    // Line and page requests may go past the last full view (up to n − 1) while the thumb
    // stays at its end; the view then shows the remaining data at its left.
    first_ = std::clamp(pos, 0, n - 1);
    scrollPos_ = first_;
    Rebuild();
    Readout();
    guard.unlock();
    repaint();
}

void CPlotWnd::OnScrollAction(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        Scroll(ScrollRequest::LineRight);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        Scroll(ScrollRequest::LineLeft);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        Scroll(ScrollRequest::PageRight);
        break;
    case QAbstractSlider::SliderPageStepSub:
        Scroll(ScrollRequest::PageLeft);
        break;
    case QAbstractSlider::SliderToMinimum:
        Scroll(ScrollRequest::ToStart);
        break;
    case QAbstractSlider::SliderToMaximum:
        Scroll(ScrollRequest::ToEnd);
        break;
    case QAbstractSlider::SliderMove:
        Scroll(ScrollRequest::ThumbTrack, scrollBar->sliderPosition());
        break;
    default:
        return;
    }
    // The slider applies its own idea of the position after this signal; keep ours.
    scrollBar->setSliderPosition(scrollBarPos);
}

void CPlotWnd::PlayTick() {
    {
        std::lock_guard guard(lock_);
        first_ += std::max(1, span_ / 35);
        if (first_ + span_ >= Count())
            StopPlay();
        SetScrollBarPos(first_);
    }
    Scroll(ScrollRequest::ThumbPosition, scrollBarPos);
}

void CPlotWnd::RefreshTick() {
    {
        std::lock_guard guard(lock_);
        if (autoScale_)
            scale_ = RefreshScale();
        Rebuild();
        Readout();
    }
    update();
}

void CPlotWnd::SelectScale(int index) {
    if (index < 0 || index >= scaleNames.size())
        return;
    if (scaleBox->currentIndex() != index) {
        scaleBox->setCurrentIndex(index); // comes back here through the selector's signal
        return;
    }
    std::lock_guard guard(lock_);
    autoScale_ = index == 0;
    scale_ = autoScale_ ? AutomaticScale() : ItemScale(index);
    Rebuild();
    Readout();
    repaint();
}

void CPlotWnd::SetClockStart(std::optional<std::int64_t> start) {
    {
        std::lock_guard guard(lock_);
        clockStart_ = start;
    }
    update();
}

void CPlotWnd::PlaceCursor(int x) {
    if (x < clientRect_.left() || x > clientRect_.left() + Width())
        return;
    cursorX_ = x;
    Readout();
    update();
}

void CPlotWnd::QueueRepaint() {
    if (repaintQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            repaintQueued = false;
            repaint();
        },
        Qt::QueuedConnection);
}

void CPlotWnd::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    scaleBox->setVisible(p.x() < 100 && p.y() < 20);
}

void CPlotWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PlaceCursor(event->position().toPoint().x());
}

bool CPlotWnd::eventFilter(QObject* watched, QEvent* event) {
    // The wheel would move the thumb behind the plot's back; scrolling goes through requests.
    if (watched == scrollBar && event->type() == QEvent::Wheel)
        return true;
    return QWidget::eventFilter(watched, event);
}

void CPlotWnd::paintEvent(QPaintEvent*) {
    Render(backBuffer);
    QPainter painter(this);
    // Until the owner records the client area again after a resize, the rest stays black.
    if (clientRect_ != contentsRect())
        painter.fillRect(contentsRect(), Qt::black);
    painter.drawImage(clientRect_.topLeft(), backBuffer);
}

void CPlotWnd::resizeEvent(QResizeEvent*) {
    // Owners record the new client area themselves (ResetCursor); only the bar follows here.
    if (scrollBar) {
        const int h = contentsMargins().bottom();
        scrollBar->setGeometry(0, height() - h, width(), h);
    }
}

QPen CPlotWnd::GridPen() {
    return QPen(QColor(0, 62, 31), 0);
}

void CPlotWnd::DrawTextAt(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QRect(x, y, 4096, 256), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
}

namespace {

// The pixels a single line of text covers when its layout box starts at (x, y).
QRect TextInk(const QFont& font, int x, int y, const QString& text) {
    const QFontMetrics metrics(font);
    return metrics.boundingRect(text).translated(x, y + metrics.ascent());
}

} // namespace

void CPlotWnd::DrawValueLabel(QPainter& painter, int y, const QString& text) const {
    const QRect ink = TextInk(fontArial_, 1, y, text).adjusted(-1, -1, 1, 1);
    if (ink.intersects(scaleLabelInk))
        return;
    DrawTextAt(painter, 1, y, text);
}

void CPlotWnd::DrawTimeAxis(QPainter& painter, const QStringList& labels) {
    const int W = Width(), H = Height(), w = GridStep();
    for (int i = 0; i <= 35; ++i) {
        painter.setPen(GridPen());
        painter.drawLine(i * w, H, i * w, 0);
        if (i % 5 != 0)
            continue;
        painter.setPen(Qt::white);
        const QString& text = labels[i / 5];
        const int flags = Qt::AlignTop | Qt::TextSingleLine;
        if (i == 0)
            DrawTextAt(painter, 1, H - 12, text);
        else if (i == 35)
            painter.drawText(QRect(W - 65, H - 12, 65, 12), flags | Qt::AlignRight, text);
        else
            // Centred on its grid line, with room for a clock time that carries its date.
            painter.drawText(QRect((i - 2) * w, H - 12, 4 * w, 12), flags | Qt::AlignHCenter, text);
    }
}

void CPlotWnd::DrawChannel(QImage& image, int r) {
    const int W = Width();
    {
        QPainter painter(&image);
        painter.setPen(QPen(kChannelColour[r], 0));
        painter.drawLine(W - 150, 15 * r + 10, W - 100, 15 * r + 10);
        painter.setFont(font());
        DrawTextAt(painter, W - 95, 15 * r + 5, tr(kChannelName[r]));
    }
    if (points_[r].size() >= 2)
        DrawCurve(image, points_[r], reduced_[r], kChannelColour[r].rgb());
}

void CPlotWnd::DrawCurves(QImage& image) {
    std::lock_guard guard(lock_);
    UseRatio(image.devicePixelRatio());
    for (int r = 0; r < 2; ++r)
        if (points_[r].size() >= 2)
            DrawCurve(image, points_[r], reduced_[r], kChannelColour[r].rgb());
}

void CPlotWnd::Render(QImage& image) {
    Render(image, devicePixelRatioF());
}

void CPlotWnd::Render(QImage& image, qreal ratio) {
    // Lines, labels and the cursor are drawn in client coordinates on a bitmap of device
    // pixels, so they come out one device pixel wide and sharp at any scale; the curves are
    // built in device pixels to begin with.
    const int W = std::max(0, Width()), H = std::max(0, Height());
    const QSize device(DeviceLength(W, ratio), DeviceLength(H, ratio));
    if (image.size() != device || image.format() != QImage::Format_RGB32)
        image = QImage(device, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    if (W < kMinWidth || H <= 0)
        return;

    QStringList labels;
    float viewScale;
    {
        std::lock_guard guard(lock_);
        UseRatio(ratio);
        std::vector<int> seconds;
        for (int i = 0; i <= 35; i += 5)
            seconds.push_back(LabelSeconds(i));
        labels = TimeAxisLabels(seconds, clockStart_);
        viewScale = scale_;
    }
    {
        const QString scaleLabel = QStringLiteral("(%1)").arg(scaleBox->currentText());
        scaleLabelInk = TextInk(fontSong_, 30, 5, scaleLabel);
        QPainter painter(&image);
        painter.setFont(fontArial_);
        painter.setBackgroundMode(Qt::TransparentMode);
        DrawTimeAxis(painter, labels);
        DrawValueAxis(painter, viewScale);
        painter.setPen(Qt::white);
        painter.setFont(fontArial_);
        // A longer translation moves left so that it ends inside the plot.
        const QString time = tr("(时间)");
        DrawTextAt(painter,
                   std::min(W - 30, W - 1 - QFontMetrics(fontArial_).horizontalAdvance(time)),
                   H - 27, time);
        painter.setFont(fontSong_);
        painter.setPen(QColor(255, 255, 0));
        DrawTextAt(painter, 30, 5, scaleLabel);
        DrawBehindCurves(painter);
    }
    {
        std::lock_guard guard(lock_);
        DrawChannel(image, 0);
        DrawChannel(image, 1);
    }
    QPainter painter(&image);
    painter.setPen(QPen(QColor(255, 255, 0), 0));
    painter.drawLine(cursorX_, 0, cursorX_, H);
}

void CPlotWnd::ShowLoaded(int viewSpan, const std::function<void()>& takeData) {
    StopPlay();
    std::unique_lock guard(lock_);
    scale_ = 10.0f;
    autoScale_ = true;
    span_ = viewSpan;
    first_ = 0;
    scrollable_ = true;
    takeData();
    scrollPos_ = 0;
    UpdateScrollBar();
    ResetCursor();
    scale_ = AutomaticScale();
    Rebuild();
    Readout();
    guard.unlock();
    update();
}

void CPlotWnd::ShowGrown(const std::function<void()>& takeData) {
    std::unique_lock guard(lock_);
    const bool atEnd = first_ + span_ >= Count();
    takeData();
    const int n = Count();
    if (atEnd && !playTimer.isActive())
        first_ = std::max(0, n - span_);
    scrollPos_ = first_;
    if (scrollable_) {
        scrollMax = n - 1;
        scrollPage = span_;
        SetScrollBarPos(scrollPos_);
    }
    if (autoScale_)
        scale_ = AutomaticScale();
    Rebuild();
    Readout();
    guard.unlock();
    update();
}

} // namespace zel
