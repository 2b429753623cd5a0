#pragma once

/// Gives our own windows the roles assistive technology expects of them: the main window a window,
/// a message box an alert. Qt would expose a plain top-level widget as a mere filler. Safe to call
/// more than once.
void InstallAccessibleRoles();

class QAbstractItemView;
class QTreeView;

/// A list that gets the focus from the keyboard shows its first entry as current, so that a screen reader
/// has an entry to read and Space ticks it; the first Down or Up then picks that entry instead of stepping
/// past it.
void ShowCurrentEntryOnFocus(QAbstractItemView* view);

/// The rows of a report view whose first column holds check boxes, as assistive technology should see them:
/// each row's first cell a check box with its checked state (the other cells its description), whose toggle
/// action ticks or clears it as Space and the mouse do. Qt's own cells offer a toggle that selects the row.
/// Call before the view is first shown.
void ExposeCheckableRows(QTreeView* view);
