#pragma once

#include <string>

// Calling convention of the Windows API's functions (only 32-bit Windows tells them apart).
#if defined(_WIN32) && !defined(_WIN64)
#define PLATFORM_WINAPI __stdcall
#else
#define PLATFORM_WINAPI
#endif

namespace platform {

/// A loaded library; null when none.
using TModuleHandle = void*;

/// Loads a library by name (Windows: LoadLibraryA). On Linux "hhctrl.ocx" is our own HTML Help stand-in
/// beside the executable (libvellicor_hhctrl.so); any other name goes to dlopen as it is.
/// Returns null when the library cannot be loaded.
TModuleHandle LoadDynamicLibrary(const std::string& name);

/// Address of an exported function (Windows: GetProcAddress); null when the library has none of that name.
void* GetLibraryProcAddress(TModuleHandle module, const char* name);

/// Releases a library loaded by LoadDynamicLibrary (Windows: FreeLibrary).
void FreeDynamicLibrary(TModuleHandle module);

} // namespace platform
