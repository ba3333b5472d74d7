#pragma once

#include "records/RecordCut.h"
#include "viewer/ViewerJob.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zel {

class CViewDlg;

// Writes the blocks of a selection as a record of their own off the window's thread, while
// the viewer's progress panel says so; the outcome is told in a message when the file is
// written or refused. Cancelling leaves nothing behind: the cut cannot stop half-way, so the
// record it is writing is removed as soon as it is whole, and the panel says that it is
// cancelling until then. Closing the viewer cancels the cut and waits for it.
class ViewerCut : public QObject {
    Q_OBJECT

public:
    explicit ViewerCut(CViewDlg* viewer);
    ~ViewerCut() override;

    // Starts the cut into `path`, which must not exist; false when the progress panel is taken
    // by another job.
    bool Start(std::shared_ptr<const RecordImage> record, BlockRange blocks,
               std::vector<RecordNote> notes, const std::string& prefix, const QString& path);
    bool Busy() const { return job_.Busy(); }
    // Asks for the cut to be undone; Finished follows once it has ended.
    void Cancel();

signals:
    // The cut has ended: written (and said so), refused (and said why), or cancelled.
    void Finished(bool saved);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum State : int { kRunning, kWritten, kCancelled };
    struct Outcome {
        std::string path; // the new record; empty when it was not written
        int error = 0;
        bool cancelled = false;
    };
    void Finish(const QString& path, const Outcome& outcome);

    CViewDlg* viewer_;
    // Decides once between a finished cut and a cancel: whichever comes first holds.
    std::shared_ptr<std::atomic<int>> state_;
    ViewerJob job_;
};

} // namespace zel
