#include "widgets/TextFit.h"

#include <QLabel>

#include <algorithm>

namespace zel {

int WidestTextWidth(const QFontMetrics& metrics, const QStringList& patterns) {
    QChar widestDigit = QLatin1Char('0');
    for (char digit = '1'; digit <= '9'; ++digit)
        if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widestDigit))
            widestDigit = QLatin1Char(digit);
    int widest = 0;
    for (QString text : patterns)
        widest = std::max(widest,
                          metrics.horizontalAdvance(text.replace(QLatin1Char('0'), widestDigit)));
    return widest;
}

void SetElidedText(QLabel* label, const QString& text) {
    const int room = label->contentsRect().width() - 2 * label->margin();
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
    label->setAccessibleName(text);
}

} // namespace zel
