#pragma once

#include <QAction>
#include <QList>
#include <QPointer>

#include <functional>

class QAbstractButton;

/// A user command: an execute handler, and where its availability changes an update handler that
/// sets its enabled state. Both run through Application::Dispatch, so failures reach the error box.
class TAction : public QAction {
    Q_OBJECT
public:
    TAction(const QString& name, const QString& caption, const QString& category, QObject* owner);

    QString Category() const { return FCategory; }

    /// Whether executing a checkable action flips its check mark. Off: only the handlers set it.
    bool AutoCheck = false;

    std::function<void(TAction*)> OnExecute;
    std::function<void(TAction*)> OnUpdate;

    /// Runs the execute handler, as a click on a button or menu entry of the action does.
    void Execute();
    /// Runs the update handler, if any.
    void Update();

private:
    QString FCategory;
};

/// The actions of one window, with their update handlers run again whenever the event loop is
/// about to wait for input, so buttons and menu entries follow every change at once.
class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject* owner);

    void Add(TAction* action);
    const QList<QPointer<TAction>>& Actions() const { return FActions; }

    /// One update pass over every action (what the idle hook runs).
    void UpdateActions();

private:
    QList<QPointer<TAction>> FActions;
    bool FUpdating = false;
};

/// Makes a button point at an action: its caption and enabled state follow the action, a click
/// executes it.
void LinkButtonToAction(QAbstractButton* button, QAction* action);

/// Where the keyboard focus goes when `button` has it and its action becomes unavailable. Without one,
/// Qt hands it to the next control in the focus chain, which may be a button that saves or closes: a
/// second press of Space would then do what the user never chose.
void SetFocusWhenDisabled(QAbstractButton* button, std::function<QWidget*()> target);
