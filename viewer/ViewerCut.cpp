#include "viewer/ViewerCut.h"

#include "viewer/ViewDlg.h"
#include "viewer/ViewerProgress.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QEvent>
#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zel {

ViewerCut::ViewerCut(CViewDlg* viewer) : viewer_(viewer), job_(this) {
    viewer->installEventFilter(this);
}

ViewerCut::~ViewerCut() {
    int running = kRunning;
    if (state_)
        state_->compare_exchange_strong(running, kCancelled);
    job_.Cancel();
}

bool ViewerCut::Start(std::shared_ptr<const RecordImage> record, BlockRange blocks,
                      std::vector<RecordNote> notes, const std::string& prefix,
                      const QString& path) {
    if (job_.Busy())
        return false;
    // The cut tells nothing of its progress: the bar only shows that it is alive.
    if (!viewer_->Progress()->Begin(tr("正在保存选定范围…"), [this] { Cancel(); }))
        return false;
    const auto state = std::make_shared<std::atomic<int>>(kRunning);
    state_ = state;
    const std::string file = QFile::encodeName(path).toStdString();
    job_.Start<Outcome>(
        [record, blocks, notes, prefix, file, state](const std::atomic<bool>&) {
            const std::string sidecar = NotesPath(file);
            const bool hadSidecar = ::access(sidecar.c_str(), F_OK) == 0;
            Outcome outcome;
            outcome.path = WriteRecordCut(*record, blocks, notes, prefix, {}, file);
            outcome.error = errno;
            int running = kRunning;
            if (state->compare_exchange_strong(running, kWritten))
                return outcome;
            // Cancelled while it wrote: the new record goes, and a notes file it made for it.
            if (!outcome.path.empty()) {
                if (!hadSidecar)
                    ::unlink(NotesPath(outcome.path).c_str());
                ::unlink(outcome.path.c_str());
            }
            return Outcome{{}, 0, true};
        },
        [this, path](Outcome outcome) { Finish(path, outcome); });
    return true;
}

void ViewerCut::Cancel() {
    int running = kRunning;
    // Too late once the record is whole: its outcome is on its way and is told as usual.
    if (state_ && state_->compare_exchange_strong(running, kCancelled))
        viewer_->Progress()->SetCancelling();
}

void ViewerCut::Finish(const QString& path, const Outcome& outcome) {
    viewer_->Progress()->End();
    if (outcome.cancelled) {
        emit Finished(false);
        return;
    }
    const QString shown = QDir::toNativeSeparators(path);
    if (outcome.path.empty()) {
        MessageBox::Error(viewer_,
                          tr("无法写入记录文件：%1（%2）")
                              .arg(shown, QString::fromLocal8Bit(std::strerror(outcome.error))));
        emit Finished(false);
        return;
    }
    MessageBox::Information(viewer_, tr("已保存选定范围：%1").arg(shown));
    emit Finished(true);
}

bool ViewerCut::eventFilter(QObject* watched, QEvent* event) {
    // Closing the viewer, not minimising it, ends the cut.
    if (watched == viewer_ && event->type() == QEvent::Hide && !event->spontaneous() &&
        job_.Busy()) {
        Cancel();
        job_.Cancel();
        viewer_->Progress()->End();
        emit Finished(false);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zel
