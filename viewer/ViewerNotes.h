#pragma once

#include "records/RecordFile.h"
#include "records/RecordNotes.h"
#include "records/RecordPoints.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace zel {

class CPlotWnd;
class CViewDlg;
class NotesDialog;
class ViewerCut;

// Notes on the record the viewer shows, and saving the trend plot's selection as a record of
// its own. Notes are flags on both plots (their text shows on hover), added at the trend
// cursor from either plot's context menu or with the key M, edited and deleted in a list.
// Every change is written at once to the notes file beside the record (NAME.zmr.notes); the
// record file itself is never written.
class ViewerNotes : public QObject {
    Q_OBJECT

public:
    // Asks for one line of text; nothing when the user cancels.
    using TextAsker = std::function<std::optional<QString>(
        QWidget* parent, const QString& title, const QString& label, const QString& text)>;

    explicit ViewerNotes(CViewDlg* viewer);
    ~ViewerNotes() override;

    // The record now shown. Its notes are read from beside it; a notes file that cannot be read
    // means no notes and one line saying so, after the record is shown.
    void SetRecord(std::shared_ptr<const RecordImage> record, const QString& path);

    const std::vector<RecordNote>& Notes() const { return notes_; }
    // Why the notes of the record shown were not read; empty when they were (or there are none).
    QString Problem() const { return problem_; }

    // The point under the trend cursor, when there is one.
    std::optional<std::int64_t> CursorPoint() const;
    // Asks for the text of the note at the trend cursor (its present text when it has one).
    void AddAtCursor();
    // Adds the note, or replaces the text of the one at that point, and writes the notes file;
    // false (with a message, nothing changed) when it cannot be written or the text is no line.
    bool SetNote(std::int64_t index, const QString& text);
    bool DeleteNote(std::int64_t index);
    // Asks for new text of the note at `index`.
    void EditNote(std::int64_t index);

    void ShowList();
    NotesDialog* ListWindow() const { return list_; } // null until first shown

    // Saves the trend plot's selection as a new record with the notes in it, in a file the
    // user chooses (at first named by the usual rule in the record folder), off the window's
    // thread.
    void SaveSelection();
    ViewerCut* Cut() const { return cut_.get(); }

    // The plot's context menu, as a right click without a drag opens it.
    void ShowContextMenu(CPlotWnd* plot, const QPoint& globalPos);

    // "时间  文本", one per note, for the report.
    QStringList ReportLines() const;
    QString TimeText(std::int64_t index) const;

    // Installs an asker in place of the input dialog (an empty one restores it); returns the
    // previous one.
    static TextAsker SetTextAsker(TextAsker asker);
    // Through the asker installed, or the input dialog.
    static std::optional<QString> AskText(QWidget* parent, const QString& title,
                                          const QString& label, const QString& text);

signals:
    void NotesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Store(std::vector<RecordNote> notes);
    void Repaint();
    bool ShowToolTip(CPlotWnd* plot, const QPoint& pos, const QPoint& globalPos);

    CViewDlg* viewer_;
    std::shared_ptr<const RecordImage> record_;
    std::string path_;
    std::vector<RecordNote> notes_;
    QString problem_;
    NotesDialog* list_ = nullptr;
    std::unique_ptr<ViewerCut> cut_;
    std::vector<QWidget*> overlays_;
    QPoint pressPos_;
    // The trend selection as it was when the right button went down: the click clears it.
    std::optional<PointRange> selectionAtPress_;
};

// Where the flag of the note at point `index` stands in `plot` (client x), or nothing when the
// point is out of view. `wave` for the waveform plot, whose items are blocks.
std::optional<int> NoteX(const CPlotWnd& plot, bool wave, std::int64_t index);

} // namespace zel
