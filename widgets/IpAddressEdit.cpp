#include "widgets/IpAddressEdit.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStringList>
#include <QValidator>

namespace zel {
namespace {

// Digits only and at most 255. QIntValidator lets "999" through as intermediate input, which
// would then be stored as an address.
class OctetValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty())
            return Intermediate;
        if (input.size() > 3)
            return Invalid;
        for (const QChar c : input)
            if (!c.isDigit())
                return Invalid;
        return input.toInt() <= 255 ? Acceptable : Invalid;
    }
};

} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_StyledBackground, true);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(new OctetValidator(field));
        field->installEventFilter(this);
        fields_[i] = field;
        // Three digits fill a field, so typing moves on to the next one by itself.
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& t) {
            if (t.size() == 3 && i + 1 < fields_.size())
                fields_[i + 1]->setFocus();
        });
    }
    setFocusProxy(fields_[0]);
}

QString IpAddressEdit::text() const {
    QStringList parts;
    for (const auto* field : fields_)
        parts << QString::number(field->text().isEmpty() ? 0 : field->text().toInt());
    return parts.join(QLatin1Char('.'));
}

void IpAddressEdit::setText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        QString value;
        if (static_cast<qsizetype>(i) < parts.size()) {
            bool ok = false;
            const int n = parts[static_cast<qsizetype>(i)].trimmed().toInt(&ok);
            if (ok && n >= 0 && n <= 255)
                value = QString::number(n);
        }
        fields_[i]->setText(value);
    }
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (std::size_t i = 0; i + 1 < fields_.size(); ++i) {
            if (watched == fields_[i] && key->text() == QStringLiteral(".")) {
                fields_[i + 1]->setFocus();
                fields_[i + 1]->selectAll();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IpAddressEdit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(QColor(0x7A, 0x7A, 0x7A));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().text().color());
    const int step = width() / 4;
    for (int i = 1; i < 4; ++i)
        painter.drawText(QRect(i * step - 3, 0, 6, height()), Qt::AlignCenter, QStringLiteral("."));
}

void IpAddressEdit::resizeEvent(QResizeEvent*) {
    const int step = width() / 4;
    for (int i = 0; i < 4; ++i)
        fields_[static_cast<std::size_t>(i)]->setGeometry(i * step + 3, 2, step - 6, height() - 4);
}

} // namespace zel
