// The Linux stand-in for hhctrl.ocx: HtmlHelpA shows a compiled help file in a help window of ours.
// Loaded by the program at run time (platform::LoadDynamicLibrary("hhctrl.ocx")), called on the
// user-interface thread only.

#include "help/viewer/HelpWindow.h"

#include "platform/ExeFolder.h"

#include <QApplication>
#include <QPointer>

#include <cstdint>
#include <map>
#include <string>

namespace {

constexpr unsigned HH_DISPLAY_TOPIC = 0x0000;
constexpr unsigned HH_HELP_CONTEXT = 0x000F;
constexpr unsigned HH_CLOSE_ALL = 0x0012;
constexpr unsigned HH_INITIALIZE = 0x001C;
constexpr unsigned HH_UNINITIALIZE = 0x001D;

// One window per help file, as HTML Help keeps one per file and window type.
std::map<QString, QPointer<THelpWindow>>& Windows() {
    static std::map<QString, QPointer<THelpWindow>> windows;
    return windows;
}

struct TRequest {
    QString Path;      ///< the help file, found beside the executable when named without a folder
    std::string Topic; ///< a topic named after "::", if any
};

// "Help.chm", "Help.chm::/page.htm" or "Help.chm>window", as HTML Help takes them.
TRequest ParseFile(const char* file) {
    std::string name(file);
    TRequest request;
    if (auto separator = name.find("::"); separator != std::string::npos) {
        request.Topic = name.substr(separator + 2);
        name.erase(separator);
    }
    if (auto window = name.find('>'); window != std::string::npos) {
        name.erase(window);
    }
    if (name.find('/') == std::string::npos) {
        name = platform::GetExeFolder() + name;
    }
    request.Path = QString::fromStdString(name);
    return request;
}

THelpWindow* WindowFor(const QString& path) {
    QPointer<THelpWindow>& window = Windows()[path];
    if (window.isNull()) {
        window = new THelpWindow(path);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}

void CloseAll() {
    for (auto& [path, window] : Windows()) {
        delete window.data(); // now, not later: the library may be unloaded next
    }
    Windows().clear();
}

void* HtmlHelp(const char* file, unsigned command, std::uintptr_t data) {
    if (QApplication::instance() == nullptr) {
        return nullptr; // a help window needs the program's application object
    }
    switch (command) {
    case HH_INITIALIZE:
        if (data != 0) {
            *reinterpret_cast<std::uint32_t*>(data) = 1; // the cookie HH_UNINITIALIZE would take back
        }
        return nullptr;
    case HH_UNINITIALIZE:
        return nullptr;
    case HH_CLOSE_ALL:
        CloseAll();
        return nullptr;
    case HH_DISPLAY_TOPIC: {
        if (file == nullptr) {
            return nullptr;
        }
        const TRequest request = ParseFile(file);
        THelpWindow* window = WindowFor(request.Path);
        const char* topic = data != 0 ? reinterpret_cast<const char*>(data) : nullptr;
        if (topic != nullptr) {
            window->ShowTopic(topic);
        } else if (!request.Topic.empty()) {
            window->ShowTopic(request.Topic);
        } else {
            window->ShowDefaultTopic();
        }
        return window;
    }
    case HH_HELP_CONTEXT: {
        if (file == nullptr) {
            return nullptr;
        }
        THelpWindow* window = WindowFor(ParseFile(file).Path);
        return window->ShowContext(static_cast<std::uint32_t>(data)) ? window : nullptr;
    }
    default:
        return nullptr;
    }
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void* HtmlHelpA(void* /*caller*/, const char* file, unsigned command,
                                                       std::uintptr_t data) {
    return HtmlHelp(file, command, data);
}

// The wide form takes UTF-16 file names, as on Windows.
__attribute__((visibility("default"))) void* HtmlHelpW(void* /*caller*/, const char16_t* file, unsigned command,
                                                       std::uintptr_t data) {
    if (file == nullptr) {
        return HtmlHelp(nullptr, command, data);
    }
    const std::string name = QString::fromUtf16(file).toStdString();
    if (command == HH_DISPLAY_TOPIC && data != 0) {
        const std::string topic = QString::fromUtf16(reinterpret_cast<const char16_t*>(data)).toStdString();
        return HtmlHelp(name.c_str(), command, reinterpret_cast<std::uintptr_t>(topic.c_str()));
    }
    return HtmlHelp(name.c_str(), command, data);
}

} // extern "C"
