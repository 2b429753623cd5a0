// Any bytes read as a theme package and, when they are one, as a theme: failures are ESkinError, a package
// that reads writes back to the same bytes, and a theme that loads yields its pictures and style sheet.
// Input starting with a zlib header is inflated first, as a stored theme is.
#include "skin/SkinErrors.h"
#include "skin/SkinIni.h"
#include "skin/SkinPackage.h"
#include "skin/SkinStyleSheet.h"
#include "skin/SkinTheme.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Fonts and pictures want a Gui application; no display is needed.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size >= 2 && data[0] == 0x78 && (data[0] * 256 + data[1]) % 31 == 0) {
        try {
            bytes = InflateSkinData(bytes, std::size_t(1) << 20);
        } catch (const ESkinError&) {
            return 0;
        }
    }
    TSkinPackage package;
    try {
        package = ReadSkinPackage(bytes);
    } catch (const ESkinError&) {
        return 0;
    }
    if (WriteSkinPackage(package) != bytes) {
        __builtin_trap();
    }
    try {
        TSkinIni::Parse(package.Ini);
        const auto theme = TSkinTheme::Parse(package);
        SkinStateFiles(*theme);
        SkinStyleSheet(
            *theme, [](const QString& name) { return QStringLiteral("/theme/") + name; }, true);
    } catch (const ESkinError&) {
    }
    return 0;
}
