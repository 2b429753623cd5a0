#include "ui/Actions.h"

#include "ui/Application.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>

TAction::TAction(const QString& name, const QString& caption, const QString& category, QObject* owner)
    : QAction(caption, owner), FCategory(category) {
    setObjectName(name);
    connect(this, &QAction::triggered, this, [this] {
        if (isCheckable() && !AutoCheck) {
            setChecked(!isChecked()); // undo QAction's own flip
        }
        Execute();
    });
}

void TAction::Execute() {
    if (OnExecute) {
        Application::Dispatch([this] { OnExecute(this); });
    }
}

void TAction::Update() {
    if (OnUpdate) {
        Application::Dispatch([this] { OnUpdate(this); });
    }
}

TActionList::TActionList(QObject* owner) : QObject(owner) {
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TActionList::UpdateActions);
    }
}

void TActionList::Add(TAction* action) {
    FActions.append(action);
}

void TActionList::UpdateActions() {
    // An update handler that fails opens the error box, whose loop goes idle again: do not
    // start another pass from inside this one.
    if (FUpdating) {
        return;
    }
    FUpdating = true;
    for (const auto& action : FActions) {
        if (action) {
            action->Update();
        }
    }
    FUpdating = false;
}

namespace {

// The target of SetFocusWhenDisabled, kept by the button it serves.
class TFocusWhenDisabled : public QObject {
public:
    TFocusWhenDisabled(QObject* button, std::function<QWidget*()> target)
        : QObject(button), Target(std::move(target)) {}
    std::function<QWidget*()> Target;

    // A plain QObject subclass, so found by its C++ type rather than through findChild's meta-object.
    static TFocusWhenDisabled* Of(const QObject* button) {
        for (QObject* child : button->children()) {
            if (auto* keeper = dynamic_cast<TFocusWhenDisabled*>(child)) {
                return keeper;
            }
        }
        return nullptr;
    }
};

} // namespace

void SetFocusWhenDisabled(QAbstractButton* button, std::function<QWidget*()> target) {
    delete TFocusWhenDisabled::Of(button);
    new TFocusWhenDisabled(button, std::move(target));
}

void LinkButtonToAction(QAbstractButton* button, QAction* action) {
    auto sync = [button, action] {
        button->setText(action->text());
        const bool enabled = action->isEnabled();
        if (!enabled && button->hasFocus()) {
            if (auto* keeper = TFocusWhenDisabled::Of(button)) {
                if (QWidget* target = keeper->Target()) {
                    target->setFocus(Qt::OtherFocusReason);
                }
            }
        }
        button->setEnabled(enabled);
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
}
