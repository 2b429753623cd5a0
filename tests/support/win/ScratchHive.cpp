#include "ScratchHive.h"

#include "TempDir.h"

#include <optional>
#include <stdexcept>

#include <windows.h>

#include <atomic>
#include <functional>
#include <sstream>
#include <vector>

namespace testsupport {

namespace {

// Every key and value below `key`, in the order the registry lists them.
void Dump(HKEY key, const std::string& path, std::ostringstream& out) {
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        std::vector<BYTE> data(1 << 16);
        DWORD dataLength = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &dataLength) != ERROR_SUCCESS) {
            break;
        }
        out << path << "|" << std::string(name, nameLength) << "|" << type << "|"
            << std::string(reinterpret_cast<const char*>(data.data()), dataLength) << "\n";
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        const std::string child = path + "\\" + std::string(name, nameLength);
        out << child << "\n";
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            Dump(sub, child, out);
            RegCloseKey(sub);
        }
    }
}

} // namespace

struct TScratchHive::TState {
    std::string Path; // in the user's own hive
    HKEY Key = nullptr;
    HKEY Previous = nullptr; // the scratch key this one replaced; null: the user's own hive
};

namespace {

// The scratch key HKEY_CURRENT_USER is redirected to now. Windows cannot be asked which key that is, and a
// hive that ends inside another must give back the other one, not the user's own.
HKEY CurrentScratchKey = nullptr;

} // namespace

TScratchHive::TScratchHive() : FState(std::make_unique<TState>()) {
    static std::atomic<unsigned> counter{0};
    FState->Path =
        "Software\\VellicorTests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    FState->Previous = CurrentScratchKey;
    // Every scratch key lives in the user's own hive, never inside the one it replaces.
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, FState->Path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &FState->Key, nullptr) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, FState->Key) != ERROR_SUCCESS) {
        if (FState->Key != nullptr) {
            RegCloseKey(FState->Key);
            RegDeleteKeyA(HKEY_CURRENT_USER, FState->Path.c_str());
        }
        RegOverridePredefKey(HKEY_CURRENT_USER, FState->Previous);
        throw std::runtime_error("cannot redirect HKEY_CURRENT_USER to a scratch key");
    }
    CurrentScratchKey = FState->Key;
}

TScratchHive::~TScratchHive() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(FState->Key);
    RegDeleteTreeA(HKEY_CURRENT_USER, FState->Path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, FState->Path.c_str());
    // The common parent goes too once no other scratch key is left in it (a key with sub-keys stays).
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VellicorTests");
    RegOverridePredefKey(HKEY_CURRENT_USER, FState->Previous);
    CurrentScratchKey = FState->Previous;
}

std::string TScratchHive::Snapshot() const {
    std::ostringstream out;
    Dump(FState->Key, "", out);
    return out.str();
}

std::filesystem::path TScratchHive::Prefix() const {
    return {};
}

} // namespace testsupport
