#include "SystemFacts.h"

#include <windows.h>

namespace testsupport {

namespace {

// FormatMessage's text without its closing dot and line break, as the file layer reports it.
TSystemError Win32Error(DWORD code) {
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return {static_cast<int>(code), text};
}

} // namespace

TSystemError FileNotFoundError() {
    return Win32Error(ERROR_FILE_NOT_FOUND);
}
TSystemError PathNotFoundError() {
    return Win32Error(ERROR_PATH_NOT_FOUND);
}
TSystemError FolderAsFileError() {
    return Win32Error(ERROR_ACCESS_DENIED);
}
TSystemError AccessDeniedError() {
    return Win32Error(ERROR_ACCESS_DENIED);
}

unsigned AnsiCodePage() {
    return GetACP();
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool RunningAsRoot() {
    // Wine keeps a read-only file from no one whom the Linux kernel lets write it: its user is the Linux one.
    char name[256] = {};
    DWORD size = sizeof name;
    return RunningUnderWine() && GetUserNameA(name, &size) && std::string(name) == "root";
}

} // namespace testsupport
