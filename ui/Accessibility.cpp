#include "ui/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QTreeView>
#include <QWidget>

#include <utility>
#include <vector>

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

constexpr const char* kCheckableRows = "vellicorCheckableRows";

/// What every cell of a checkable-rows view shares: no children, and the view as parent.
class TViewCellAccessible : public QAccessibleInterface {
public:
    explicit TViewCellAccessible(QTreeView* view) : FView(view) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return FView ? FView->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(FView.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QPointer<QTreeView> FView;
};

/// A column header: its title as name.
class THeaderCellAccessible : public TViewCellAccessible {
public:
    THeaderCellAccessible(QTreeView* view, int column) : TViewCellAccessible(view), FColumn(column) {}

    int Column() const { return FColumn; }
    bool isValid() const override {
        return !FView.isNull() && FView->model() != nullptr && FColumn < FView->model()->columnCount();
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid()
                   ? FView->model()->headerData(FColumn, Qt::Horizontal, Qt::DisplayRole).toString()
                   : QString();
    }
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QHeaderView* header = FView->header();
        return {header->mapToGlobal(QPoint(header->sectionViewportPosition(FColumn), 0)),
                QSize(header->sectionSize(FColumn), header->height())};
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invalid = !isValid();
        return s;
    }

private:
    int FColumn;
};

/// A cell of a row: the first is the row's check box, named by its text and described by the other cells,
/// whose toggle ticks or clears it; the others are plain items.
class TRowCellAccessible : public TViewCellAccessible, public QAccessibleActionInterface {
public:
    TRowCellAccessible(QTreeView* view, const QModelIndex& index) : TViewCellAccessible(view), FIndex(index) {}

    const QPersistentModelIndex& Index() const { return FIndex; }
    bool isValid() const override { return !FView.isNull() && FIndex.isValid(); }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        if (t == QAccessible::Name) {
            return FIndex.data(Qt::DisplayRole).toString();
        }
        if (t == QAccessible::Description && IsCheckBox()) {
            QStringList others;
            for (int column = 1; column < FIndex.model()->columnCount(FIndex.parent()); ++column) {
                others << FIndex.sibling(FIndex.row(), column).data(Qt::DisplayRole).toString();
            }
            return others.join(QStringLiteral(", "));
        }
        return {};
    }
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect r = FView->visualRect(FIndex);
        return {FView->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override { return IsCheckBox() ? QAccessible::CheckBox : QAccessible::TreeItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const Qt::ItemFlags flags = FIndex.flags();
        s.disabled = !FView->isEnabled() || !(flags & Qt::ItemIsEnabled);
        if (FView->selectionMode() != QAbstractItemView::NoSelection && (flags & Qt::ItemIsSelectable)) {
            s.selectable = true;
            s.focusable = true;
            s.selected = FView->selectionModel()->isSelected(FIndex);
        }
        s.focused = FView->hasFocus() && FView->currentIndex() == FIndex;
        s.offscreen = !FView->viewport()->rect().intersects(FView->visualRect(FIndex));
        if (IsCheckBox()) {
            s.checkable = true;
            const auto check = Qt::CheckState(FIndex.data(Qt::CheckStateRole).toInt());
            s.checked = check == Qt::Checked;
            s.checkStateMixed = check == Qt::PartiallyChecked;
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface && IsCheckBox() ? static_cast<QAccessibleActionInterface*>(this)
                                                                    : nullptr;
    }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& name) override {
        if (name != toggleAction() || !isValid() || state().disabled) {
            return;
        }
        // What the view's delegate does for Space and a click on the box, so that whoever watches the
        // model's check marks sees the same change.
        const bool checked = Qt::CheckState(FIndex.data(Qt::CheckStateRole).toInt()) == Qt::Checked;
        const_cast<QAbstractItemModel*>(FIndex.model())
            ->setData(FIndex, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }

private:
    bool IsCheckBox() const { return FIndex.column() == 0 && (FIndex.flags() & Qt::ItemIsUserCheckable); }

    QPersistentModelIndex FIndex;
};

/// The view: its children numbered as Qt numbers them in its focus and selection events (the header's
/// cells first, then the rows' cells row by row), so that those events reach our cells.
class TCheckableRowsAccessible : public QAccessibleWidget {
public:
    explicit TCheckableRowsAccessible(QTreeView* view) : QAccessibleWidget(view, QAccessible::Tree) {}
    ~TCheckableRowsAccessible() override {
        for (QAccessible::Id id : FHeaders) {
            QAccessible::deleteAccessibleInterface(id);
        }
        for (const auto& cell : FCells) {
            QAccessible::deleteAccessibleInterface(cell.second);
        }
    }

    int childCount() const override {
        const QAbstractItemModel* model = View()->model();
        return model == nullptr ? 0 : (model->rowCount(View()->rootIndex()) + HeaderRows()) * model->columnCount();
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        const int columns = View()->model()->columnCount();
        if (index < HeaderRows() * columns) {
            while (int(FHeaders.size()) <= index) {
                FHeaders.push_back(
                    QAccessible::registerAccessibleInterface(new THeaderCellAccessible(View(), int(FHeaders.size()))));
            }
            return QAccessible::accessibleInterface(FHeaders[std::size_t(index)]);
        }
        index -= HeaderRows() * columns;
        return Cell(View()->model()->index(index / columns, index % columns, View()->rootIndex()));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (const auto* header = dynamic_cast<const THeaderCellAccessible*>(child)) {
            return header->Column();
        }
        const auto* cell = dynamic_cast<const TRowCellAccessible*>(child);
        if (cell == nullptr || !cell->isValid()) {
            return -1;
        }
        return (cell->Index().row() + HeaderRows()) * View()->model()->columnCount() + cell->Index().column();
    }
    QAccessibleInterface* focusChild() const override {
        return View()->hasFocus() && View()->currentIndex().isValid() ? Cell(View()->currentIndex()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QModelIndex index = View()->indexAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? Cell(index) : nullptr;
    }

private:
    QTreeView* View() const { return static_cast<QTreeView*>(widget()); }
    int HeaderRows() const { return View()->header()->isHidden() ? 0 : 1; }

    /// The one interface of a cell, made when first asked for; cells of rows that are gone are dropped.
    QAccessibleInterface* Cell(const QModelIndex& index) const {
        if (!index.isValid()) {
            return nullptr;
        }
        for (auto it = FCells.begin(); it != FCells.end();) {
            if (!it->first.isValid()) {
                QAccessible::deleteAccessibleInterface(it->second);
                it = FCells.erase(it);
            } else if (it->first == index) {
                return QAccessible::accessibleInterface(it->second);
            } else {
                ++it;
            }
        }
        const QAccessible::Id id = QAccessible::registerAccessibleInterface(new TRowCellAccessible(View(), index));
        FCells.emplace_back(QPersistentModelIndex(index), id);
        return QAccessible::accessibleInterface(id);
    }

    mutable std::vector<QAccessible::Id> FHeaders;
    mutable std::vector<std::pair<QPersistentModelIndex, QAccessible::Id>> FCells;
};

QAccessibleInterface* CheckableRowsFactory(const QString&, QObject* object) {
    auto* view = qobject_cast<QTreeView*>(object);
    return view != nullptr && view->property(kCheckableRows).toBool() ? new TCheckableRowsAccessible(view) : nullptr;
}

} // namespace

void ExposeCheckableRows(QTreeView* view) {
    static const bool installed = [] {
        QAccessible::installFactory(CheckableRowsFactory);
        return true;
    }();
    (void)installed;
    view->setProperty(kCheckableRows, true);
    // An interface Qt made for the view before this call would hide ours.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(view);
    if (made != nullptr && dynamic_cast<TCheckableRowsAccessible*>(made) == nullptr) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
    // A tick or a cleared box is announced, from the keyboard, the mouse or the toggle action alike (the
    // model tells only of real changes: rarely enough to announce each without asking whether anyone listens).
    QObject::connect(view->model(), &QAbstractItemModel::dataChanged, view,
                     [view](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                         if (topLeft.column() != 0 || (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole))) {
                             return;
                         }
                         QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
                         const int columns = view->model()->columnCount();
                         const int headerRows = view->header()->isHidden() ? 0 : 1;
                         for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                             if (QAccessibleInterface* box = list->child((row + headerRows) * columns)) {
                                 QAccessible::State changed;
                                 changed.checked = true;
                                 QAccessibleStateChangeEvent event(box, changed);
                                 QAccessible::updateAccessibility(&event);
                             }
                         }
                     });
}

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
