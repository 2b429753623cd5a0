#include "app/Display.h"

#include <cstdlib>

std::string DisplayProblem() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) {
        return {};
    }
    return "Vellicor needs a graphical desktop: no display was found (neither DISPLAY nor WAYLAND_DISPLAY is "
           "set). Start it from a desktop session, or with QT_QPA_PLATFORM=offscreen for a window nobody sees.";
}
