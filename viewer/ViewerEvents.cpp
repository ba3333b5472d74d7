#include "viewer/ViewerEvents.h"

#include "plot/CurseWnd.h"
#include "records/EventLimitsConfig.h"
#include "viewer/CEventDlg.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerClock.h"
#include "viewer/ViewerStatistics.h"

#include "common/ModuleDirectory.h"
#include "records/EventsCsv.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>

#include <optional>

namespace zel {

ViewerEvents::ViewerEvents(CViewDlg* viewer) : viewer_(viewer), job_(this) {
    button_ = new QPushButton(tr("越限事件"), viewer);
    button_->setObjectName(QString::number(kEvents));
    ViewerStatistics::StyleStripButton(button_);
    connect(button_, &QPushButton::clicked, this, &ViewerEvents::ShowWindow);
    auto* key = new QShortcut(Qt::Key_E, viewer);
    key->setContext(Qt::WindowShortcut);
    connect(key, &QShortcut::activated, this, [this] {
        if (button_->isEnabled())
            ShowWindow();
    });
    viewer->installEventFilter(this);
    PlaceButton();
    UpdateButton();
}

ViewerEvents::~ViewerEvents() {
    job_.Cancel();
}

bool ViewerEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewer_ && event->type() == QEvent::Resize)
        PlaceButton();
    return QObject::eventFilter(watched, event);
}

void ViewerEvents::PlaceButton() {
    // Left of the statistics buttons, in their look and sized the same way.
    button_->setGeometry(
        ViewerStatistics::StripButtonBox(viewer_->Statistics()->StripLeft() - 4, button_));
}

void ViewerEvents::UpdateButton() {
    button_->setEnabled(record_ && !playing_);
}

void ViewerEvents::SetRecord(std::shared_ptr<const RecordImage> record, const QString& path) {
    record_ = std::move(record);
    path_ = path;
    limits_ = ReadEventLimits(EventLimitsFile());
    UpdateButton();
    Find();
}

void ViewerEvents::SetPlaying(bool playing) {
    playing_ = playing;
    UpdateButton();
}

void ViewerEvents::SetLimits(const EventLimits& limits) {
    limits_ = limits;
    Find();
}

void ViewerEvents::Find() {
    // A job of an earlier record or earlier limits is of no use any more.
    job_.Cancel();
    events_.clear();
    viewer_->TrendPlot()->SetBands({});
    if (window_) {
        window_->SetLimits(limits_);
        window_->SetBusy();
    }
    if (!record_)
        return;
    const auto record = record_;
    const EventLimits limits = limits_;
    using Found = std::optional<std::vector<LimitEvent>>;
    job_.Start<Found>(
        [record, limits](const std::atomic<bool>& cancelled) {
            return FindEvents(*record, limits, RecordPoints(*record).All(), &cancelled);
        },
        [this, record](Found found) {
            if (record != record_)
                return;
            events_ = found ? std::move(*found) : std::vector<LimitEvent>{};
            std::vector<CCurseWnd::Band> bands;
            bands.reserve(events_.size());
            for (const LimitEvent& e : events_)
                bands.push_back({e.limit, e.first, e.last});
            viewer_->TrendPlot()->SetBands(std::move(bands));
            if (window_)
                window_->SetEvents(events_, RecordPoints(*record_));
            emit EventsFound();
        });
}

void ViewerEvents::ShowWindow() {
    if (!record_)
        return;
    const bool first = !window_;
    if (first) {
        window_ = new CEventDlg(viewer_);
        connect(window_, &CEventDlg::ApplyAsked, this, [this] {
            if (const auto limits = window_->LimitsGiven())
                SetLimits(*limits);
        });
        connect(window_, &CEventDlg::EventChosen, this, &ViewerEvents::ShowEvent);
        connect(window_, &CEventDlg::ExportAsked, this, &ViewerEvents::ExportCsv);
        // Bottom left of the viewer, over the start of the plots.
        window_->move(viewer_->mapToGlobal(QPoint(24, CMyDialog::kStripHeight + 24)));
    }
    window_->SetLimits(limits_);
    if (job_.Busy())
        window_->SetBusy();
    else
        window_->SetEvents(events_, RecordPoints(*record_));
    window_->show();
    window_->raise();
}

void ViewerEvents::ShowEvent(int i) {
    if (i < 0 || i >= static_cast<int>(events_.size()) || playing_)
        return;
    viewer_->Clock()->ShowPoint(events_[static_cast<std::size_t>(i)].maxIndex);
}

bool ViewerEvents::ExportCsv() {
    if (!record_ || job_.Busy())
        return false;
    const QString folder = QString::fromStdString(PictureDirectory());
    QDir().mkpath(folder);
    const QString path = FileDialog::GetSaveFileName(
        window_ ? static_cast<QWidget*>(window_) : viewer_, QStringLiteral("CSV Files (*.csv)"),
        QStringLiteral("csv"), folder, QFileInfo(path_).completeBaseName() + tr("-越限事件.csv"));
    if (path.isEmpty())
        return false;
    const RecordPoints points(*record_);
    std::string rows = EventsCsv::Header();
    for (const LimitEvent& e : events_)
        EventsCsv::AppendRow(rows, points, e);
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(rows.data(), static_cast<qint64>(rows.size())) ==
                             static_cast<qint64>(rows.size()) &&
                         file.commit();
    if (!written)
        MessageBox::Error(viewer_, tr("无法写入CSV文件：%1").arg(QDir::toNativeSeparators(path)));
    return written;
}

} // namespace zel
