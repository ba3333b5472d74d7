#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zel {
class CDigital;
class CTimeWnd;
} // namespace zel

namespace zel::test {

// Chinese characters or full-width punctuation.
bool HasChinese(const QString& text);

// Name, description and value of every element of the window's accessibility tree.
QStringList AccessibleTexts(QWidget& window);

// The pattern once for every digit, each '#' replaced by that digit: one of them is as wide as
// any number of that many digits can be.
QStringList EveryDigit(const QString& pattern);

// Every visible control's text whole in the room its control gives it, and in English no Chinese
// left for a screen reader; each fault named with the window, the control and its text.
void ExpectTextsFit(QWidget& window, const QString& name);

// Each of the texts, which the control shows at run time, whole in the control's room.
void ExpectEachFits(QWidget* control, const QStringList& texts, const QString& where);

// Every line of the information bar whole within the bar.
void ExpectBarFits(const CTimeWnd& bar, const QString& where);

// Room in the readout for a value of that many characters (12 pixels each).
void ExpectReadoutHolds(const CDigital* readout, int characters, const QString& where);

// Tab, pressed from the first control on, reaches every control the keyboard can reach once,
// in the order a user reads them: nothing wholly above a control, nor left of it in its row,
// comes after it. The focused control is read from the accessibility tree after every press.
void ExpectReadingTabOrder(QWidget& window, const QString& name);

} // namespace zel::test
