#pragma once

#include <QObject>
#include <QString>

#include <array>

class TCompressedStoredSkin;

/// One theme of the "Visual Theme" menu: its identifier (the menu action's name, the stored
/// theme's name and the value kept in SkinName), its menu caption and its stored file name.
struct TThemeInfo {
    const char* Identifier;
    const char* Caption;
    const char* FileName;
};

/// The eleven themes in menu order; the first is the default.
const std::array<TThemeInfo, 11>& ThemeTable();

/// The theme store: the eleven stored themes, each a child named by its theme identifier,
/// compressed as carried in the program. Creating it inflates nothing.
class TDMSkins : public QObject {
    Q_OBJECT
public:
    explicit TDMSkins(QObject* owner = nullptr);
    ~TDMSkins() override;

    /// The stored theme named `identifier`, letter case ignored; nullptr when there is none.
    TCompressedStoredSkin* FindStoredSkin(const QString& identifier) const;

    /// How many theme stores exist now (a seam for tests: a store lives only while a theme is applied).
    static int Instances();
};

/// Fills `slot` with the default theme, stored as "Office2007.skn" (the main window's built-in copy).
void LoadDefaultStoredSkin(TCompressedStoredSkin& slot);
