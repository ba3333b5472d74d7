#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

namespace zel {

class CPlotWnd;
class CRealDlg;
enum class ScrollRequest;

// The live view from the keyboard: ←/→ scroll and +/− zoom the plot under the pointer (the
// trend plot otherwise), Home goes to the oldest data kept and End back to the newest. The live
// plots follow the newest data; a plot scrolled back stays where it was put while blocks come
// in, until End or scrolling right past the newest view lets it follow again. The keys are
// listed in the window's tooltip.
class LiveKeys : public QObject {
    Q_OBJECT

public:
    explicit LiveKeys(CRealDlg* window);

    static QString KeysText();

    // The plot the keys work on now.
    CPlotWnd* Target() const;
    // Whether `plot` has been scrolled back and stays there.
    bool Held(const CPlotWnd* plot) const;

    // Once a block is in both plots, which moves them to the newest data: a held plot is put
    // back where it was.
    void KeepHeld();

private:
    void Scroll(ScrollRequest request);
    void Zoom(bool in);
    // The first item the plot shows while it follows the newest data.
    int FollowingFirst(const CPlotWnd* plot) const;
    std::int64_t& Hold(const CPlotWnd* plot);

    CRealDlg* window_;
    // The first block (counted from the first ever received) and point shown by a held plot;
    // −1 while the plot follows the newest data.
    std::int64_t waveHeld_ = -1;
    std::int64_t trendHeld_ = -1;
};

} // namespace zel
