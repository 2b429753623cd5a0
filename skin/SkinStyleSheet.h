#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>

class TSkinTheme;

/// Pictures of a theme cut into the files a style sheet names: one per state of every part,
/// "<object>.<part>.<state>.png" ("main" for the main picture; horizontal scroll bar parts,
/// turned a quarter left, carry an "h" before the part).
std::map<QString, QByteArray> SkinStateFiles(const TSkinTheme& theme);

/// The style sheet that draws every control naming one of the theme's skin objects (through the
/// "skinDataName" property) and the sub-controls no program names (popup menus, scroll bars,
/// column headers). `url` turns a file of SkinStateFiles into the path the sheet refers to.
/// Without `effects`, controls show no hot (mouse-over) state.
QString SkinStyleSheet(const TSkinTheme& theme, const std::function<QString(const QString&)>& url, bool effects);
