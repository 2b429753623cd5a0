#pragma once

#include "platform/DynamicLibrary.h"

#include <cstdint>
#include <functional>
#include <string>

// HTML Help commands the program issues (values of the published HTML Help API).
inline constexpr unsigned HH_DISPLAY_TOPIC = 0x0000;
inline constexpr unsigned HH_HELP_CONTEXT = 0x000F;
inline constexpr unsigned HH_CLOSE_ALL = 0x0012;
inline constexpr unsigned HH_INITIALIZE = 0x001C;

/// HtmlHelpA: owner window, file name, command, data; returns a window handle or 0.
using THtmlHelpA = void*(PLATFORM_WINAPI*)(void* caller, const char* file, unsigned command, std::uintptr_t data);

/// How the HTML Help library is loaded, searched and released; the program uses the platform's calls,
/// tests put a fake library behind it.
struct TLibraryLoader {
    std::function<platform::TModuleHandle(const std::string& name)> Load;
    std::function<void*(platform::TModuleHandle module, const char* name)> GetProcAddress;
    std::function<void(platform::TModuleHandle module)> Free;
};

/// LoadDynamicLibrary, GetLibraryProcAddress and FreeDynamicLibrary of the platform layer.
TLibraryLoader PlatformLibraryLoader();

/// The HTML Help library "hhctrl.ocx", bound at run time on first use and kept for the whole run.
/// A load that fails is tried again at the next command; once loaded, the entry points are looked up once,
/// and when one is missing every later command does nothing.
class THtmlHelpLibrary {
public:
    explicit THtmlHelpLibrary(TLibraryLoader loader = PlatformLibraryLoader());
    ~THtmlHelpLibrary();
    THtmlHelpLibrary(const THtmlHelpLibrary&) = delete;
    THtmlHelpLibrary& operator=(const THtmlHelpLibrary&) = delete;

    /// Binds the library if needed and calls HtmlHelpA; returns 0 when the library or an entry point is
    /// missing.
    void* HtmlHelp(void* caller, const char* file, unsigned command, std::uintptr_t data);
    /// Releases the library when it is loaded (the last step of the program's end).
    void Release();
    bool IsLoaded() const { return FModule != nullptr; }

private:
    TLibraryLoader FLoader;
    platform::TModuleHandle FModule = nullptr;
    THtmlHelpA FHtmlHelpA = nullptr;
    void* FHtmlHelpW = nullptr; ///< looked up with HtmlHelpA, never called
};

/// The program's one binding of the HTML Help library.
THtmlHelpLibrary& HtmlHelpLibrary();
