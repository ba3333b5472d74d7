#include "viewer/ViewerNotes.h"

#include "common/LocalTime.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordCut.h"
#include "records/RecordPoints.h"
#include "viewer/CursorPairReadout.h"
#include "viewer/NotesDialog.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerClock.h"
#include "viewer/ViewerCompare.h"
#include "viewer/ViewerCut.h"
#include "viewer/ViewerProgress.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageBox.h"
#include "widgets/PopupMenu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zel {

namespace {

const QColor kFlagColour(255, 170, 0);
constexpr int kFlagWidth = 8;
constexpr int kFlagHeight = 6;
// A right click moved less than this is a click (a larger move is the trend plot's selection).
constexpr int kClickSlack = 4;

ViewerNotes::TextAsker& Asker() {
    static ViewerNotes::TextAsker asker;
    return asker;
}

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The flags of the notes in view, drawn over a plot. It takes no input: the plot below keeps
// its cursor and its drags.
class NotesOverlay : public QWidget {
public:
    NotesOverlay(CPlotWnd* plot, bool wave, const ViewerNotes* notes)
        : QWidget(plot), plot_(plot), wave_(wave), notes_(notes) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(plot->rect());
        raise();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (notes_->Notes().empty() || !plot_->isVisible())
            return;
        const QRect client = plot_->ClientRect();
        QPainter painter(this);
        painter.setClipRect(client);
        for (const RecordNote& note : notes_->Notes()) {
            const auto x = NoteX(*plot_, wave_, note.index);
            if (!x)
                continue;
            painter.setPen(QPen(kFlagColour, 0, Qt::DashLine));
            painter.drawLine(*x, client.top(), *x, client.bottom());
            painter.fillRect(QRect(*x, client.top(), kFlagWidth, kFlagHeight), kFlagColour);
        }
    }

private:
    CPlotWnd* plot_;
    bool wave_;
    const ViewerNotes* notes_;
};

} // namespace

std::optional<int> NoteX(const CPlotWnd& plot, bool wave, std::int64_t index) {
    const QRect client = plot.ClientRect();
    const int span = plot.Span();
    const int W = client.width();
    const std::int64_t k = index - plot.First();
    if (W <= 0 || span <= 0 || k < 0 || k > span)
        return std::nullopt;
    // As the curves lay out their items: item k of the view at trunc(k / span × W).
    (void)wave;
    return client.left() + static_cast<int>(static_cast<double>(k) / span * W);
}

ViewerNotes::ViewerNotes(CViewDlg* viewer)
    : viewer_(viewer), cut_(std::make_unique<ViewerCut>(viewer)) {
    for (CPlotWnd* plot : {static_cast<CPlotWnd*>(viewer->WavePlot()),
                           static_cast<CPlotWnd*>(viewer->TrendPlot())}) {
        overlays_.push_back(new NotesOverlay(plot, plot == viewer->WavePlot(), this));
        plot->installEventFilter(this);
    }
    viewer->installEventFilter(this);
}

ViewerNotes::~ViewerNotes() = default;

std::optional<QString> ViewerNotes::AskText(QWidget* parent, const QString& title,
                                            const QString& label, const QString& text) {
    if (Asker())
        return Asker()(parent, title, label, text);
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

ViewerNotes::TextAsker ViewerNotes::SetTextAsker(TextAsker asker) {
    TextAsker previous = std::move(Asker());
    Asker() = std::move(asker);
    return previous;
}

void ViewerNotes::SetRecord(std::shared_ptr<const RecordImage> record, const QString& path) {
    record_ = std::move(record);
    path_ = QFile::encodeName(path).toStdString();
    NotesReadResult read = ReadRecordNotes(path_);
    notes_ = std::move(read.notes);
    problem_.clear();
    const QString sidecar = QFileInfo(QFile::decodeName(NotesPath(path_).c_str())).fileName();
    switch (read.problem) {
    case NotesReadResult::Problem::None:
        break;
    case NotesReadResult::Problem::Malformed:
        problem_ = tr("备注文件格式不对，不显示备注：%1").arg(sidecar);
        break;
    case NotesReadResult::Problem::TooLarge:
        problem_ = tr("备注文件过大，不显示备注：%1").arg(sidecar);
        break;
    case NotesReadResult::Problem::Unreadable:
        problem_ = tr("无法读取备注文件 %1：%2").arg(sidecar, SystemReason(read.systemError));
        break;
    }
    // Said once the record is on the screen: the notes never hold up the record.
    if (!problem_.isEmpty()) {
        const QString text = problem_;
        QMetaObject::invokeMethod(
            this, [this, text] { MessageBox::Information(viewer_, text); }, Qt::QueuedConnection);
    }
    Repaint();
}

QString ViewerNotes::TimeText(std::int64_t index) const {
    if (!record_)
        return {};
    return QString::fromStdString(RecordPoints(*record_).PreciseTimeText(index));
}

std::optional<std::int64_t> ViewerNotes::CursorPoint() const {
    if (!record_)
        return std::nullopt;
    return viewer_->TrendPlot()->CursorPoint();
}

void ViewerNotes::AddAtCursor() {
    const auto index = CursorPoint();
    if (!index) {
        MessageBox::Error(viewer_, tr("光标处没有数据"));
        return;
    }
    EditNote(*index);
}

void ViewerNotes::EditNote(std::int64_t index) {
    const auto it = std::find_if(notes_.begin(), notes_.end(),
                                 [index](const RecordNote& n) { return n.index == index; });
    const bool existing = it != notes_.end();
    const auto text = AskText(viewer_, existing ? tr("编辑备注") : tr("添加备注"),
                              tr("备注（%1）：").arg(TimeText(index)),
                              existing ? QString::fromStdString(it->text) : QString());
    if (text)
        SetNote(index, text->trimmed());
}

bool ViewerNotes::SetNote(std::int64_t index, const QString& text) {
    const std::string utf8 = text.toStdString();
    if (!record_ || index < 0 || index >= RecordPoints(*record_).Count())
        return false;
    if (!IsNoteText(utf8)) {
        MessageBox::Error(viewer_, tr("备注是一行文字，不能为空"));
        return false;
    }
    std::vector<RecordNote> notes = notes_;
    notes.push_back({index, utf8});
    SortNotes(notes);
    return Store(std::move(notes));
}

bool ViewerNotes::DeleteNote(std::int64_t index) {
    std::vector<RecordNote> notes = notes_;
    const auto removed = std::remove_if(notes.begin(), notes.end(),
                                        [index](const RecordNote& n) { return n.index == index; });
    if (removed == notes.end())
        return false;
    notes.erase(removed, notes.end());
    return Store(std::move(notes));
}

bool ViewerNotes::Store(std::vector<RecordNote> notes) {
    if (!problem_.isEmpty()) {
        // A notes file that could not be read is not overwritten with what little is known.
        MessageBox::Error(viewer_, problem_);
        return false;
    }
    if (!WriteRecordNotes(path_, record_->header.startTime, notes)) {
        MessageBox::Error(
            viewer_, tr("无法写入备注文件：%1（%2）")
                         .arg(QDir::toNativeSeparators(QFile::decodeName(NotesPath(path_).c_str())),
                              SystemReason(errno)));
        return false;
    }
    notes_ = std::move(notes);
    Repaint();
    emit NotesChanged();
    return true;
}

void ViewerNotes::Repaint() {
    for (QWidget* overlay : overlays_)
        overlay->update();
}

void ViewerNotes::ShowList() {
    if (!list_)
        list_ = new NotesDialog(this, viewer_);
    list_->Refresh();
    list_->show();
    list_->raise();
}

QStringList ViewerNotes::ReportLines() const {
    QStringList lines;
    for (const RecordNote& note : notes_)
        lines << TimeText(note.index) + QStringLiteral("  ") + QString::fromStdString(note.text);
    return lines;
}

void ViewerNotes::SaveSelection() {
    const auto selection = viewer_->TrendPlot()->Selection();
    if (viewer_->Progress()->Busy())
        return;
    if (!record_ || !selection || selection->Empty()) {
        MessageBox::Error(viewer_, tr("没有选定范围"));
        return;
    }
    const BlockRange blocks = BlocksOfPoints(*record_, *selection);
    const RecordFileHeader header = CutHeader(*record_, blocks);
    const std::string prefix = RecordPrefixOf(path_, *record_);
    const std::string folder = RecordDirectory();
    QDir().mkpath(QFile::decodeName(folder.c_str()));
    const QString name =
        QFileInfo(
            QFile::decodeName(
                RecordFileName(folder, prefix, header.deviceNumber, header.startTime).c_str()))
            .fileName();
    const QString path =
        FileDialog::GetSaveFileName(viewer_, QStringLiteral("Zelmarine Files (*.zmr)"),
                                    QStringLiteral("zmr"), QFile::decodeName(folder.c_str()), name);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)) {
        // A record is never replaced: it may be the only copy of a measurement.
        MessageBox::Error(viewer_,
                          tr("不能替换已有的记录文件：%1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    cut_->Start(record_, blocks, notes_, prefix, path);
}

void ViewerNotes::ShowContextMenu(CPlotWnd* plot, const QPoint& globalPos) {
    // The click that opened the menu has cleared the selection it may be about.
    const std::optional<PointRange> selection =
        selectionAtPress_ ? selectionAtPress_ : viewer_->TrendPlot()->Selection();
    selectionAtPress_.reset();
    QMenu menu(viewer_);
    const bool idle = record_ && !viewer_->Playing();
    // One long job at a time: reading a record to compare, or saving the selection.
    const bool free = idle && !viewer_->Progress()->Busy();
    QAction* add = menu.addAction(tr("添加备注\tM"));
    add->setEnabled(idle && CursorPoint().has_value());
    QAction* list = menu.addAction(tr("备注列表..."));
    list->setEnabled(record_ != nullptr);
    QAction* setB = nullptr;
    QAction* clearB = nullptr;
    CCurseWnd* trend = viewer_->TrendPlot();
    if (plot == trend) {
        menu.addSeparator();
        setB = menu.addAction(tr("光标B设在此处\tShift+单击"));
        setB->setEnabled(idle);
        clearB = menu.addAction(tr("清除光标B"));
        clearB->setEnabled(viewer_->CursorPair()->B().has_value());
    }
    menu.addSeparator();
    QAction* clock = menu.addAction(tr("时间轴显示时刻"));
    clock->setCheckable(true);
    clock->setChecked(viewer_->Clock()->ClockTime());
    QAction* goTo = menu.addAction(tr("转到时间..."));
    goTo->setEnabled(idle);
    menu.addSeparator();
    ViewerCompare* compare = viewer_->Compare();
    QAction* open = menu.addAction(tr("对比..."));
    open->setEnabled(free);
    QAction* byClock = menu.addAction(tr("对比按时刻对齐"));
    QAction* byStart = menu.addAction(tr("对比按开始对齐"));
    for (QAction* a : {byClock, byStart})
        a->setCheckable(true);
    byClock->setChecked(compare->Alignment() == ViewerCompare::Align::ClockTime);
    byStart->setChecked(compare->Alignment() == ViewerCompare::Align::Start);
    QAction* closeCompare = menu.addAction(tr("关闭对比"));
    closeCompare->setEnabled(compare->IsOpen());
    menu.addSeparator();
    QAction* save = menu.addAction(tr("选定范围另存为记录..."));
    save->setEnabled(free && selection.has_value());
    const QAction* chosen = PopupMenu::Exec(menu, globalPos);
    if (chosen == add) {
        AddAtCursor();
    } else if (chosen == list) {
        ShowList();
    } else if (chosen == open) {
        compare->AskAndOpen();
    } else if (chosen == byClock) {
        compare->SetAlignment(ViewerCompare::Align::ClockTime);
    } else if (chosen == byStart) {
        compare->SetAlignment(ViewerCompare::Align::Start);
    } else if (chosen == closeCompare) {
        compare->Close();
    } else if (chosen == clock) {
        viewer_->Clock()->SetClockTime(!viewer_->Clock()->ClockTime());
    } else if (chosen == goTo) {
        viewer_->Clock()->AskGoTo();
    } else if (chosen && chosen == setB) {
        viewer_->CursorPair()->SetB(trend->PointAtX(trend->mapFromGlobal(globalPos).x()));
    } else if (chosen && chosen == clearB) {
        viewer_->CursorPair()->SetB(std::nullopt);
    } else if (chosen == save) {
        viewer_->TrendPlot()->SetSelection(selection->first, selection->Last());
        SaveSelection();
    }
}

bool ViewerNotes::ShowToolTip(CPlotWnd* plot, const QPoint& pos, const QPoint& globalPos) {
    const bool wave = plot == viewer_->WavePlot();
    QStringList texts;
    for (const RecordNote& note : notes_) {
        const auto x = NoteX(*plot, wave, note.index);
        if (x && pos.x() >= *x - 3 && pos.x() <= *x + kFlagWidth + 1)
            texts << TimeText(note.index) + QStringLiteral("  ") +
                         QString::fromStdString(note.text);
    }
    if (texts.isEmpty())
        return false;
    QToolTip::showText(globalPos, texts.join(QLatin1Char('\n')), plot);
    return true;
}

bool ViewerNotes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewer_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_M && !key->isAutoRepeat() && record_ && !viewer_->Playing()) {
                AddAtCursor();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
    auto* plot = qobject_cast<CPlotWnd*>(watched);
    if (!plot)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        for (QWidget* overlay : overlays_)
            if (overlay->parentWidget() == plot)
                overlay->setGeometry(plot->rect());
        break;
    case QEvent::ToolTip: {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (ShowToolTip(plot, help->pos(), help->globalPos()))
            return true;
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            pressPos_ = mouse->position().toPoint();
            selectionAtPress_ = viewer_->TrendPlot()->Selection();
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton ||
            (mouse->position().toPoint() - pressPos_).manhattanLength() > kClickSlack)
            break;
        // After the plot has taken the click (a right click clears the trend selection).
        const QPoint global = mouse->globalPosition().toPoint();
        QMetaObject::invokeMethod(
            this, [this, plot, global] { ShowContextMenu(plot, global); }, Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zel
