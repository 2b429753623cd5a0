#pragma once

/// Gives our own windows the roles assistive technology expects of them: the main window a window,
/// a message box an alert. Qt would expose a plain top-level widget as a mere filler. Safe to call
/// more than once.
void InstallAccessibleRoles();

class QAbstractItemView;

/// A list that gets the focus from the keyboard shows its first entry as current, so that a screen reader
/// has an entry to read and Space ticks it; the first Down or Up then picks that entry instead of stepping
/// past it.
void ShowCurrentEntryOnFocus(QAbstractItemView* view);
