#include "platform/AppData.h"

#include <windows.h>

#include <shlobj.h>

namespace platform {

std::string GetAppDataFolder() {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &items)) || items == nullptr) {
        return {};
    }
    char path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListA(items, path);
    CoTaskMemFree(items);
    return found ? std::string(path) : std::string();
}

} // namespace platform
