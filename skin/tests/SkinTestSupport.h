#pragma once

#include "skin/SkinData.h"
#include "skin/SkinPackage.h"
#include "themes/ThemePackages.h"

#include <QByteArray>

#include <memory>
#include <string>
#include <vector>

namespace skintest {

/// The stored file names of the carried themes, in menu order.
inline std::vector<std::string> CarriedFileNames() {
    std::vector<std::string> names;
    for (const themes::TThemePackage& package : themes::Packages()) {
        names.emplace_back(package.FileName);
    }
    return names;
}

/// A stored theme holding the carried package `fileName`.
inline std::unique_ptr<TCompressedStoredSkin> Stored(const std::string& fileName) {
    const themes::TThemePackage* package = themes::FindPackage(fileName);
    auto stored = std::make_unique<TCompressedStoredSkin>();
    stored->setObjectName(QString::fromStdString(fileName));
    stored->SetCompressedFileName(QString::fromStdString(fileName));
    if (package != nullptr) {
        stored->SetCompressedData(
            QByteArray(reinterpret_cast<const char*>(package->Data), static_cast<qsizetype>(package->Size)));
    }
    return stored;
}

/// The carried package `fileName`, inflated and split, to be damaged by a test.
inline TSkinPackage Unpacked(const std::string& fileName) {
    const themes::TThemePackage* package = themes::FindPackage(fileName);
    return ReadSkinPackage(
        InflateSkinData(std::string_view(reinterpret_cast<const char*>(package->Data), package->Size)));
}

/// A stored theme holding `package`, deflated.
inline std::unique_ptr<TCompressedStoredSkin> Repacked(const TSkinPackage& package) {
    auto stored = std::make_unique<TCompressedStoredSkin>();
    const std::string bytes = DeflateSkinData(WriteSkinPackage(package));
    stored->SetCompressedFileName(QStringLiteral("Damaged.skn"));
    stored->SetCompressedData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return stored;
}

} // namespace skintest
