#pragma once

#include <QKeySequence>

#include <functional>

class QObject;
class QShortcut;
class QWidget;

namespace zel {

class CPlotWnd;

// What the viewer and the live view share of their keys: a window with a waveform plot above a
// trend plot, whose arrows and +/− work on the plot under the pointer.

// A key of the whole window, ahead of a focused button, which would take space and the arrows.
// The action runs in `receiver`'s thread and goes with it.
QShortcut* BindWindowKey(QWidget* window, const QKeySequence& keys, QObject* receiver,
                         std::function<void()> action);

// The plot the keys work on: the waveform plot while it is shown (`waveShown`) and the pointer
// is over it, the trend plot otherwise.
CPlotWnd* PlotUnderPointer(CPlotWnd* wave, bool waveShown, CPlotWnd* trend);

} // namespace zel
