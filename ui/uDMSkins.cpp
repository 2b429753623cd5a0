#include "ui/uDMSkins.h"

#include "skin/SkinData.h"
#include "themes/ThemePackages.h"

namespace {

int LiveStores = 0;

// The bytes stay where the program carries them; the stored themes only point at them.
QByteArray Carried(const themes::TThemePackage& package) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(package.Data), static_cast<qsizetype>(package.Size));
}

} // namespace

TDMSkins::TDMSkins(QObject* owner) : QObject(owner) {
    ++LiveStores;
    setObjectName(QStringLiteral("DMSkins"));
    for (const themes::TThemePackage& theme : themes::Packages()) {
        auto* stored = new TCompressedStoredSkin(this);
        stored->setObjectName(QLatin1String(theme.Identifier));
        stored->SetCompressedFileName(QLatin1String(theme.FileName));
        stored->SetCompressedData(Carried(theme));
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
    const themes::TThemePackage& theme = themes::Packages().front();
    slot.SetCompressedFileName(QLatin1String(theme.FileName));
    slot.SetCompressedData(Carried(theme));
}
