#pragma once

#include <QFontMetrics>
#include <QString>
#include <QStringList>

class QLabel;

namespace zel {

// The width the widest of the texts needs in the font, each '0' in them standing for whichever
// digit is widest: the room a control keeps for the longest value a number can take, in
// whatever face the font falls back to.
int WidestTextWidth(const QFontMetrics& metrics, const QStringList& patterns);

// Shows the text in the label, shortened in the middle when the label is too narrow for it.
// The whole text stays the label's accessible name and, when shortened, its tooltip.
void SetElidedText(QLabel* label, const QString& text);

} // namespace zel
