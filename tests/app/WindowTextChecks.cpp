#include "WindowTextChecks.h"

#include "GuiTestSupport.h"
#include "widgets/CButtonTR.h"
#include "widgets/CDigital.h"
#include "widgets/CTimeWnd.h"
#include "widgets/Translations.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zel::test {

namespace {

void CollectTexts(QAccessibleInterface* node, QStringList& texts, int depth) {
    if (!node || depth > 30)
        return;
    for (const auto kind : {QAccessible::Name, QAccessible::Description, QAccessible::Value})
        if (const QString text = node->text(kind); !text.isEmpty())
            texts << text;
    for (int i = 0; i < node->childCount(); ++i)
        CollectTexts(node->child(i), texts, depth + 1);
}

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// The text a control shows and the width it may take, or no text for a control that has none
// of its own to fit.
struct Shown {
    QString text;
    int room = 0;
};

Shown ShownText(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->wordWrap() || label->textFormat() == Qt::RichText ||
            Qt::mightBeRichText(label->text()))
            return {};
        return {label->text().trimmed(), label->contentsRect().width() - 2 * label->margin()};
    }
    if (auto* box = qobject_cast<QCheckBox*>(w))
        return {Plain(box->text()), box->width() - 20}; // the tick box and its gap
    if (qobject_cast<CButtonTR*>(w))
        return {Plain(static_cast<QPushButton*>(w)->text()), w->width() - 40}; // its icon
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        // Inside the style's frame, padding and border (a style sheet's too), with a pixel of air
        // each side.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const int contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
        return {Plain(button->text()), std::min(button->width() - 6, contents - 2)};
    }
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return {Plain(group->title()), group->width() - 16};
    return {};
}

int WidestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

void ExpectFits(QWidget* w, const QString& text, int room, const QString& where) {
    EXPECT_LE(WidestLine(w->fontMetrics(), text), room)
        << where.toStdString() << ": \"" << text.toStdString() << "\" in "
        << w->metaObject()->className() << " " << w->objectName().toStdString();
}

// A control the keyboard reaches, as the accessibility tree shows it.
struct Reachable {
    QObject* object;
    QRect rect; // on the screen
    QString name;
};

void CollectReachable(QAccessibleInterface* node, const QWidget& window,
                      std::vector<Reachable>& found, int depth) {
    if (!node || depth > 30 || node->state().invisible)
        return;
    const auto* w = qobject_cast<QWidget*>(node->object());
    if (w && w->window() == &window && node->state().focusable && !node->state().disabled &&
        (w->focusPolicy() & Qt::TabFocus))
        found.push_back(
            {node->object(), node->rect(), node->text(QAccessible::Name) + " " + w->objectName()});
    for (int i = 0; i < node->childCount(); ++i)
        CollectReachable(node->child(i), window, found, depth + 1);
}

// Read first: wholly above, or in the same row and further left.
bool ReadBefore(const QRect& a, const QRect& b) {
    if (a.bottom() < b.top())
        return true;
    return a.top() <= b.bottom() && b.top() <= a.bottom() && a.center().x() < b.center().x();
}

} // namespace

bool HasChinese(const QString& text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

QStringList AccessibleTexts(QWidget& window) {
    QStringList texts;
    CollectTexts(QAccessible::queryAccessibleInterface(&window), texts, 0);
    return texts;
}

QStringList EveryDigit(const QString& pattern) {
    QStringList texts;
    for (char digit = '0'; digit <= '9'; ++digit)
        texts << QString(pattern).replace(QLatin1Char('#'), QLatin1Char(digit));
    return texts;
}

void ExpectTextsFit(QWidget& window, const QString& name) {
    const QStringList texts = AccessibleTexts(window);
    EXPECT_GE(texts.size(), 3) << name.toStdString();
    if (CurrentLanguage() == UiLanguage::English) {
        for (const QString& text : texts) {
            // The language list names each language in itself.
            if (text != QStringLiteral("中文")) {
                EXPECT_FALSE(HasChinese(text)) << name.toStdString() << ": " << text.toStdString();
            }
        }
    }
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->window() != &window)
            continue;
        if (auto* bar = qobject_cast<CTimeWnd*>(w)) {
            ExpectBarFits(*bar, name);
            continue;
        }
        const Shown shown = ShownText(w);
        if (shown.text.isEmpty())
            continue;
        ExpectFits(w, shown.text, shown.room, name);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const auto lines = static_cast<int>(shown.text.count(QLatin1Char('\n'))) + 1;
            EXPECT_LE(lines * label->fontMetrics().height(), label->contentsRect().height() + 2)
                << name.toStdString() << ": " << shown.text.toStdString() << " (height)";
        }
    }
    GrabWidget(window, (CurrentLanguage() == UiLanguage::English ? QStringLiteral("en-")
                                                                 : QStringLiteral("zh-")) +
                           name);
}

void ExpectEachFits(QWidget* control, const QStringList& texts, const QString& where) {
    ASSERT_TRUE(control) << where.toStdString();
    const int room = ShownText(control).room;
    for (const QString& text : texts)
        ExpectFits(control, text, room, where);
}

void ExpectBarFits(const CTimeWnd& bar, const QString& where) {
    const QFontMetrics metrics(bar.LineFont());
    EXPECT_LE(bar.LineTop(bar.Lines() - 1) + metrics.height(), bar.height() - 1)
        << where.toStdString();
    for (int i = 0; i < bar.Lines(); ++i)
        EXPECT_LE(metrics.horizontalAdvance(bar.Line(i)), bar.width() - CTimeWnd::kLineLeft - 1)
            << where.toStdString() << ": \"" << bar.Line(i).toStdString() << "\"";
}

void ExpectReadoutHolds(const CDigital* readout, int characters, const QString& where) {
    ASSERT_TRUE(readout) << where.toStdString();
    EXPECT_LE(12 * characters, readout->width())
        << where.toStdString() << ": readout " << readout->objectName().toStdString();
}

void ExpectReadingTabOrder(QWidget& window, const QString& name) {
    const std::string where = name.toStdString();
    std::vector<Reachable> reachable;
    CollectReachable(QAccessible::queryAccessibleInterface(&window), window, reachable, 0);
    ASSERT_FALSE(reachable.empty()) << where;
    const auto first = std::find_if(reachable.begin(), reachable.end(), [&](const Reachable& c) {
        return std::none_of(reachable.begin(), reachable.end(),
                            [&](const Reachable& o) { return ReadBefore(o.rect, c.rect); });
    });
    ASSERT_NE(first, reachable.end()) << where << ": no control comes first";

    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << where;
    qobject_cast<QWidget*>(first->object)->setFocus(Qt::TabFocusReason);
    std::vector<Reachable> order;
    for (std::size_t press = 0; press <= reachable.size(); ++press) {
        // A list or table says which of its cells has the focus; the control is the list.
        QAccessibleInterface* focus = QAccessible::queryAccessibleInterface(&window)->focusChild();
        while (focus && !qobject_cast<QWidget*>(focus->object()))
            focus = focus->parent();
        ASSERT_TRUE(focus) << where << ": nothing has the focus after " << press << " presses";
        if (press > 0 && focus->object() == first->object)
            break;
        order.push_back({focus->object(), focus->rect(),
                         focus->text(QAccessible::Name) + " " + focus->object()->objectName()});
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &window, Qt::Key_Tab);
    }
    QStringList names;
    for (const Reachable& c : order)
        names << c.name;
    const std::string said = names.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(order.size(), reachable.size()) << where << ": " << said;
    for (const Reachable& c : reachable)
        EXPECT_EQ(std::count_if(order.begin(), order.end(),
                                [&](const Reachable& o) { return o.object == c.object; }),
                  1)
            << where << ": " << c.name.toStdString() << " in " << said;
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = i + 1; j < order.size(); ++j)
            EXPECT_FALSE(ReadBefore(order[j].rect, order[i].rect))
                << where << ": " << order[j].name.toStdString() << " comes after "
                << order[i].name.toStdString() << " in " << said;
}

} // namespace zel::test
