#include "viewer/ViewerProgress.h"

#include "widgets/TabOrder.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zel {

namespace {

constexpr int kWidth = 440;
// Often enough for a bar that moves smoothly, seldom enough to cost the window nothing.
constexpr int kPollMs = 100;

} // namespace

ViewerProgress::ViewerProgress(QWidget* viewer) : QFrame(viewer) {
    setObjectName(QStringLiteral("viewerProgress"));
    // Dark like the compare readout, so that it reads over either plot.
    setStyleSheet(QStringLiteral(
        "#viewerProgress { background: rgba(20, 20, 20, 230); border: 1px solid rgb(170, 170, "
        "170); }"
        "#viewerProgress QLabel { color: white; }"));
    text_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(true);
    cancel_ = new QPushButton(tr("取消"), this);
    cancel_->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(bar_, 1);
    row->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 8, 10, 8);
    column->addWidget(text_);
    column->addLayout(row);
    setFixedWidth(kWidth);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (onCancel_)
            onCancel_();
    });
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &ViewerProgress::Poll);
    viewer->installEventFilter(this);
    hide();
}

ViewerProgress::~ViewerProgress() = default;

std::shared_ptr<ViewerProgress::Count>
ViewerProgress::Begin(const QString& text, std::function<void()> cancel, int done) {
    if (Busy())
        return nullptr;
    count_ = std::make_shared<Count>(done);
    onCancel_ = std::move(cancel);
    // A long file name gives way in its middle, where names of records differ least.
    const int room = kWidth - 20;
    text_->setText(text_->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    text_->setToolTip(text);
    cancel_->setEnabled(true);
    Poll();
    adjustSize();
    Place();
    show();
    raise();
    // Its cancel button takes its place in the keyboard's order where the panel now stands.
    SetReadingTabOrder(window());
    timer_.start();
    return count_;
}

void ViewerProgress::SetCancelling() {
    text_->setText(tr("正在取消…"));
    cancel_->setEnabled(false);
}

void ViewerProgress::End() {
    timer_.stop();
    count_.reset();
    onCancel_ = {};
    hide();
}

void ViewerProgress::Poll() {
    if (!count_)
        return;
    const int done = count_->load(std::memory_order_relaxed);
    if (done == kUnknown) {
        bar_->setRange(0, 0); // a bar that only says the job is alive
    } else {
        bar_->setRange(0, 1000);
        bar_->setValue(std::clamp(done, 0, 1000));
    }
}

void ViewerProgress::Place() {
    const QWidget* viewer = parentWidget();
    move((viewer->width() - width()) / 2, viewer->height() * 2 / 5 - height() / 2);
}

bool ViewerProgress::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Place();
    return QFrame::eventFilter(watched, event);
}

} // namespace zel
