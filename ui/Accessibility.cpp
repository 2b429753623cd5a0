#include "ui/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

#include <utility>

namespace {

QAccessibleInterface* WindowRoleFactory(const QString& key, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (key == QLatin1String("TMainForm")) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    // A message box speaks for itself: screen readers read an alert's text as soon as it opens.
    if (key == QLatin1String("TSkinMessageForm")) {
        return new QAccessibleWidget(widget, QAccessible::AlertMessage);
    }
    return nullptr;
}

class TCurrentEntryOnFocus : public QObject {
public:
    explicit TCurrentEntryOnFocus(QAbstractItemView* view) : QObject(view), FView(view) {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        QAbstractItemModel* model = FView->model();
        if (model == nullptr || model->rowCount() == 0) {
            return false;
        }
        if (event->type() == QEvent::FocusIn) {
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason &&
                !FView->selectionModel()->hasSelection()) {
                if (!FView->currentIndex().isValid()) {
                    FView->selectionModel()->setCurrentIndex(model->index(0, 0), QItemSelectionModel::NoUpdate);
                }
                FUntouched = true;
            }
            return false;
        }
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        // Only the first key after the focus came: later, Down moves on from the entry the user is at.
        const bool untouched = std::exchange(FUntouched, false);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!untouched || (key->key() != Qt::Key_Down && key->key() != Qt::Key_Up) ||
            key->modifiers() != Qt::NoModifier || FView->selectionModel()->hasSelection()) {
            return false;
        }
        const QModelIndex current = FView->currentIndex().isValid() ? FView->currentIndex() : model->index(0, 0);
        FView->selectionModel()->setCurrentIndex(current,
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return true;
    }

private:
    QAbstractItemView* FView;
    bool FUntouched = false;
};

} // namespace

void ShowCurrentEntryOnFocus(QAbstractItemView* view) {
    new TCurrentEntryOnFocus(view);
}

void InstallAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(WindowRoleFactory);
        return true;
    }();
    (void)installed;
}
