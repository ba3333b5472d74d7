#include "widgets/FrameAccessible.h"

#include "widgets/CMyDialog.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>
#include <QWindow>
#include <array>
#include <memory>

namespace zel {

namespace {

using HitCode = CMyDialog::HitCode;

class FrameButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    FrameButtonAccessible(CMyDialog* dialog, HitCode button) : dialog_(dialog), button_(button) {}

    bool isValid() const override { return !dialog_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return dialog_ ? dialog_->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return dialog_ ? QAccessible::queryAccessibleInterface(dialog_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !dialog_ || !dialog_->isVisible();
        state.hotTracked = dialog_ && dialog_->HoveredButton() == button_;
        state.pressed = dialog_ && dialog_->PressedButton() == button_;
        return state;
    }

    QString text(QAccessible::Text t) const override {
        if (!dialog_ || (t != QAccessible::Name && t != QAccessible::Description))
            return {};
        switch (button_) {
        case HitCode::Close:
            return QCoreApplication::translate("zel::CMyDialog", "关闭");
        case HitCode::Minimize:
            return QCoreApplication::translate("zel::CMyDialog", "最小化");
        case HitCode::Maximize:
            return dialog_->IsMaximizedInWorkArea()
                       ? QCoreApplication::translate("zel::CMyDialog", "还原")
                       : QCoreApplication::translate("zel::CMyDialog", "最大化");
        case HitCode::Client:
            break;
        }
        return {};
    }

    QRect rect() const override {
        if (!dialog_)
            return {};
        const QRect local = button_ == HitCode::Close      ? dialog_->CloseRect()
                            : button_ == HitCode::Minimize ? dialog_->MinimizeRect()
                                                           : dialog_->MaximizeRect();
        return QRect(dialog_->mapToGlobal(local.topLeft()), local.size());
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override {
        if (!dialog_ || name != pressAction())
            return;
        // The same as a click on the drawn button.
        switch (button_) {
        case HitCode::Close:
            dialog_->close();
            break;
        case HitCode::Minimize:
            dialog_->showMinimized();
            break;
        case HitCode::Maximize:
            dialog_->ToggleMaximize();
            break;
        case HitCode::Client:
            break;
        }
    }

private:
    QPointer<CMyDialog> dialog_;
    HitCode button_;
};

// The window's own interface with the frame buttons after its child widgets.
class FrameAccessible : public QAccessibleWidget {
public:
    explicit FrameAccessible(CMyDialog* dialog)
        : QAccessibleWidget(dialog, QAccessible::Dialog), dialog_(dialog) {
        const int count = dialog->IsMainWindow() ? 3 : 1;
        static constexpr std::array<HitCode, 3> kOrder = {HitCode::Close, HitCode::Minimize,
                                                          HitCode::Maximize};
        for (int i = 0; i < count; ++i) {
            auto* button = new FrameButtonAccessible(dialog, kOrder[i]);
            ids_.push_back(QAccessible::registerAccessibleInterface(button));
            buttons_.push_back(button);
        }
    }
    ~FrameAccessible() override {
        for (const QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override {
        return QAccessibleWidget::childCount() + static_cast<int>(buttons_.size());
    }
    QAccessibleInterface* child(int index) const override {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        const auto button = static_cast<std::size_t>(index - widgets);
        return button < buttons_.size() ? buttons_[button] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < buttons_.size(); ++i)
            if (buttons_[i] == child)
                return QAccessibleWidget::childCount() + static_cast<int>(i);
        return QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QAccessibleInterface* button : buttons_)
            if (button->rect().contains(x, y))
                return button;
        return QAccessibleWidget::childAt(x, y);
    }

private:
    QPointer<CMyDialog> dialog_;
    std::vector<QAccessible::Id> ids_;
    std::vector<QAccessibleInterface*> buttons_;
};

QAccessibleInterface* FrameFactory(const QString& key, QObject* object) {
    if (key == QLatin1String("zel::CMyDialog"))
        if (auto* dialog = qobject_cast<CMyDialog*>(object))
            return new FrameAccessible(dialog);
    return nullptr;
}

} // namespace

void InstallFrameAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&FrameFactory);
        return true;
    }();
    (void)installed;
}

} // namespace zel
