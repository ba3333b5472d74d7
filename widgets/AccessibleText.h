#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zel {

// Keeps a widget's accessible name and description in step with what it draws (readouts and
// plots draw their numbers as pictures, which a screen reader cannot read). They are compared
// every 300 ms while the widget is visible and set when they changed, so Qt tells assistive
// technology of a change at most about three times a second. An empty function leaves that
// text alone.
void KeepAccessibleText(QWidget* widget, std::function<QString()> name,
                        std::function<QString()> description = {});

class CDigital;

// A readout is read as its caption and value: "CH1 waveform: -1209".
void ExposeReadout(CDigital* readout, const QString& caption);

// The captions of the six readouts of the live and viewer windows, left to right: CH1 and CH2
// waveform, CH1 and CH2 trend, difference, unbalance.
QString ReadoutCaption(int index);

} // namespace zel
