#include "ui/uDMSkins.h"

#include "skin/SkinData.h"
#include "themes/ThemePackages.h"

namespace {

int LiveStores = 0;

// The bytes stay where the program carries them; the stored themes only point at them.
QByteArray CarriedPackage(const char* fileName) {
    const themes::TThemePackage* package = themes::FindPackage(fileName);
    Q_ASSERT(package != nullptr);
    return package == nullptr ? QByteArray()
                              : QByteArray::fromRawData(reinterpret_cast<const char*>(package->Data),
                                                        static_cast<qsizetype>(package->Size));
}

} // namespace

const std::array<TThemeInfo, 11>& ThemeTable() {
    static const std::array<TThemeInfo, 11> table = {{
        {"actThemeOffice2007", "Office 2007 (default)", "Office2007.skn"},
        {"actThemeAndromeda", "Andromeda", "Andromeda.skn"},
        {"actThemeFineVector2", "Fine Vector", "FineVector2.skn"},
        {"actThemeGameStyle", "Game Style", "GameStyle.skn"},
        {"actThemeiMetal", "iMetal", "iMetal.skn"},
        {"actThemeLagoon", "Lagoon", "Lagoon.skn"},
        {"actThemeOptima", "Optima", "Optima.skn"},
        {"actThemeOrion", "Orion", "Orion.skn"},
        {"actThemeVista", "Vista", "VistaTM.skn"},
        {"actThemeVistaLight2", "Vista Light", "VistaLight2.skn"},
        {"actThemeWinXPSilver", "WinXP Silver", "WinXPSilver.skn"},
    }};
    return table;
}

TDMSkins::TDMSkins(QObject* owner) : QObject(owner) {
    ++LiveStores;
    setObjectName(QStringLiteral("DMSkins"));
    for (const TThemeInfo& theme : ThemeTable()) {
        auto* stored = new TCompressedStoredSkin(this);
        stored->setObjectName(QLatin1String(theme.Identifier));
        stored->SetCompressedFileName(QLatin1String(theme.FileName));
        stored->SetCompressedData(CarriedPackage(theme.FileName));
    }
}

TDMSkins::~TDMSkins() {
    --LiveStores;
}

int TDMSkins::Instances() {
    return LiveStores;
}

TCompressedStoredSkin* TDMSkins::FindStoredSkin(const QString& identifier) const {
    for (TCompressedStoredSkin* stored : findChildren<TCompressedStoredSkin*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (stored->objectName().compare(identifier, Qt::CaseInsensitive) == 0) {
            return stored;
        }
    }
    return nullptr;
}

void LoadDefaultStoredSkin(TCompressedStoredSkin& slot) {
    const TThemeInfo& theme = ThemeTable().front();
    slot.SetCompressedFileName(QLatin1String(theme.FileName));
    slot.SetCompressedData(CarriedPackage(theme.FileName));
}
