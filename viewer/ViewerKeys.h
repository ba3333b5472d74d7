#pragma once

#include <QObject>
#include <QString>

namespace zel {

class CPlotWnd;
class CViewDlg;

// The record viewer from the keyboard: ←/→ scroll and +/− zoom the plot under the pointer
// (the trend plot otherwise), Home and End go to the start and the end, space plays and stops,
// Ctrl+O opens a record; M (adding a note) is the notes' own. The keys are listed in the
// viewer's tooltip.
class ViewerKeys : public QObject {
    Q_OBJECT

public:
    explicit ViewerKeys(CViewDlg* viewer);

    // The text of the viewer's tooltip.
    static QString KeysText();

    // The plot the keys work on now.
    CPlotWnd* Target() const;

private:
    void Scroll(int request);
    void Zoom(bool in);

    CViewDlg* viewer_;
};

} // namespace zel
