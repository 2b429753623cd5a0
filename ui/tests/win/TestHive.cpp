// The test hive on Windows: the Outlook and policy keys under the scratch HKEY_CURRENT_USER that
// ScratchAppData sets up, written and read in user.reg's form so that the same cases run on both systems.
#include "../TestHive.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

// The keys a test hive holds: Outlook's own, and the policies above them.
constexpr const char* kHiveRoots[] = {"Software\\Microsoft\\Office", "Software\\Policies\\Microsoft"};

/// user.reg's escaping of key paths and strings: a backslash and a double quote get a backslash.
std::string RegEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string RegUnescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

HKEY CreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create " << path;
        return nullptr;
    }
    return key;
}

/// Writes the keys and values of a user.reg text: sections "[path] time" and values "name"="text" or
/// "name"=dword:hex.
void WriteRegText(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    HKEY key = nullptr;
    while (std::getline(lines, line)) {
        if (line.starts_with('[')) {
            if (key != nullptr) {
                RegCloseKey(key);
            }
            key = CreateKey(RegUnescape(line.substr(1, line.find(']') - 1)));
        } else if (line.starts_with('"') && key != nullptr) {
            const auto equals = line.find("\"=");
            const std::string name = RegUnescape(line.substr(1, equals - 1));
            const std::string data = line.substr(equals + 2);
            if (data.starts_with("dword:")) {
                const DWORD value = std::stoul(data.substr(6), nullptr, 16);
                RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
            } else {
                const std::string value = RegUnescape(data.substr(1, data.size() - 2));
                RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
            }
        }
    }
    if (key != nullptr) {
        RegCloseKey(key);
    }
}

/// A key, its values and its sub-keys in user.reg form.
void ReadRegText(HKEY key, const std::string& path, std::ostringstream& out) {
    out << "[" << RegEscape(path) << "]\n";
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        std::vector<BYTE> data(1 << 16);
        DWORD dataLength = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &dataLength) != ERROR_SUCCESS) {
            break;
        }
        out << "\"" << RegEscape(std::string(name, nameLength)) << "\"=";
        if (type == REG_DWORD && dataLength == sizeof(DWORD)) {
            DWORD value = 0;
            std::memcpy(&value, data.data(), sizeof value);
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(value));
            out << "dword:" << hex << "\n";
        } else {
            std::string text(reinterpret_cast<const char*>(data.data()), dataLength);
            if (!text.empty() && text.back() == '\0') {
                text.pop_back();
            }
            out << "\"" << RegEscape(text) << "\"\n";
        }
    }
    out << "\n";
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            ReadRegText(sub, path + "\\" + std::string(name, nameLength), out);
            RegCloseKey(sub);
        }
    }
}

} // namespace

void WriteTestHive(const std::filesystem::path&, const std::string& keys) {
    for (const char* root : kHiveRoots) {
        RegDeleteTreeA(HKEY_CURRENT_USER, root);
    }
    WriteRegText(keys);
}

std::string ReadTestHive(const std::filesystem::path&) {
    std::ostringstream out;
    for (const char* root : kHiveRoots) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, root, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            ReadRegText(key, root, out);
            RegCloseKey(key);
        }
    }
    return out.str();
}
