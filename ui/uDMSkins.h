#pragma once

#include <QObject>
#include <QString>

class TCompressedStoredSkin;

/// The theme store: a stored theme for every theme the program carries (themes::Packages(), in menu
/// order), each a child named by its theme identifier, compressed as carried. Creating it inflates nothing.
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

/// Fills `slot` with the default theme, the first carried one (the main window's built-in copy).
void LoadDefaultStoredSkin(TCompressedStoredSkin& slot);
