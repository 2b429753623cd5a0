#include "ScratchAppData.h"

#include <stdexcept>

#include <windows.h>

#include <shlobj.h>

namespace testsupport {

namespace {

std::string ShellAppDataFolder() {
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

} // namespace

TScratchAppData::TScratchAppData() : FPath(FTemp / "AppData") {
    std::filesystem::create_directory(FPath);
    FHive.emplace();
    HKEY key = nullptr;
    const std::string folder = FPath.string();
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                        0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the scratch hive's User Shell Folders key");
    }
    const LSTATUS status =
        RegSetValueExA(key, "AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot set the scratch hive's AppData folder");
    }
    FRedirected = lstrcmpiA(ShellAppDataFolder().c_str(), folder.c_str()) == 0;
}

TScratchAppData::~TScratchAppData() = default;

} // namespace testsupport
