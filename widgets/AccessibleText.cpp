#include "widgets/AccessibleText.h"

#include "widgets/CDigital.h"

#include <QCoreApplication>

#include <QTimer>
#include <QWidget>

namespace zel {

void KeepAccessibleText(QWidget* widget, std::function<QString()> name,
                        std::function<QString()> description) {
    const auto refresh = [widget, name = std::move(name), description = std::move(description)] {
        if (!widget->isVisible())
            return;
        // setAccessibleName and setAccessibleDescription send Qt's change events.
        if (name) {
            if (const QString text = name(); text != widget->accessibleName())
                widget->setAccessibleName(text);
        }
        if (description) {
            if (const QString text = description(); text != widget->accessibleDescription())
                widget->setAccessibleDescription(text);
        }
    };
    auto* timer = new QTimer(widget);
    timer->setInterval(300);
    QObject::connect(timer, &QTimer::timeout, widget, refresh);
    timer->start();
    refresh();
}

void ExposeReadout(CDigital* readout, const QString& caption) {
    KeepAccessibleText(
        readout,
        [readout, caption] {
            const QString value = readout->Text();
            return caption + QCoreApplication::translate("zel::Readouts", "：") +
                   (value.isEmpty() ? QStringLiteral("-") : value);
        },
        [readout] { return readout->Text(); });
}

QString ReadoutCaption(int index) {
    static const char* const captions[6] = {QT_TRANSLATE_NOOP("zel::Readouts", "CH1波形"),
                                            QT_TRANSLATE_NOOP("zel::Readouts", "CH2波形"),
                                            QT_TRANSLATE_NOOP("zel::Readouts", "CH1曲线(A)"),
                                            QT_TRANSLATE_NOOP("zel::Readouts", "CH2曲线(A)"),
                                            QT_TRANSLATE_NOOP("zel::Readouts", "电流差"),
                                            QT_TRANSLATE_NOOP("zel::Readouts", "不平衡系数(%)")};
    return index >= 0 && index < 6 ? QCoreApplication::translate("zel::Readouts", captions[index])
                                   : QString();
}

} // namespace zel
