#include "MainFormFixture.h"

#include "GuiTestSupport.h"

#include "outlook/ExtensionsFile.h"

#include <QListWidget>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>
#endif

namespace {

#ifdef _WIN32

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

#endif

} // namespace

void MainFormTest::SetUp() {
    // Linux: the hive is the prefix's user.reg. Windows: the scratch application-data folder comes with
    // a scratch HKEY_CURRENT_USER.
    FPrefix = std::make_unique<testsupport::TScopedEnv>("WINEPREFIX", (FDir.Path() / "prefix").string());
    std::filesystem::create_directories(FDir.Path() / "prefix");
    FAppData = std::make_unique<testsupport::TScratchAppData>();
    if (!FAppData->Redirected()) {
        GTEST_SKIP() << "this Windows does not take the application-data folder from the scratch hive";
    }
    Application::SetTitle(QStringLiteral("Vellicor 2009 by korvane.example"));
    InitializeSettingsUnit();
    Settings = new TSettings();
    SetPredefinedFileTypesFolderForTesting((FDir.Path() / "").string());
    testsupport::WriteFileBytes(FDir.Path() / "Extensions.txt", ".exe Program\r\n.js JavaScript file\r\n");
}

void MainFormTest::TearDown() {
    FForm.reset();
    FinalizeSettingsUnit();
    SetPredefinedFileTypesFolderForTesting({});
    FAppData.reset();
}

std::string MainFormTest::VersionKeys(const std::string& version, const std::map<std::string, std::string>& values,
                                      bool security) {
    std::string keys =
        "[Software\\\\Microsoft\\\\Office\\\\" + version + "\\\\Outlook] 1733700000\n#time=1db4a6b1c2d3e40\n\n";
    if (security) {
        keys += "[Software\\\\Microsoft\\\\Office\\\\" + version +
                "\\\\Outlook\\\\Security] 1733700000\n#time=1db4a6b1c2d3e40\n";
        for (const auto& [name, data] : values) {
            keys += "\"" + name + "\"=" + data + "\n";
        }
        keys += "\n";
    }
    return keys;
}

void MainFormTest::WriteHive(const std::string& keys) {
#ifdef _WIN32
    for (const char* root : kHiveRoots) {
        RegDeleteTreeA(HKEY_CURRENT_USER, root);
    }
    WriteRegText(keys);
#else
    testsupport::WriteFileBytes(HivePath(), "WINE REGISTRY Version 2\n"
                                            ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                                            "#arch=win64\n\n" +
                                                keys);
#endif
}

std::string MainFormTest::Hive() const {
#ifdef _WIN32
    std::ostringstream out;
    for (const char* root : kHiveRoots) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, root, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            ReadRegText(key, root, out);
            RegCloseKey(key);
        }
    }
    return out.str();
#else
    return testsupport::ReadFileBytes(HivePath());
#endif
}

TMainForm& MainFormTest::Open() {
    FForm = std::make_unique<TMainForm>();
    FForm->show();
    Idle();
    return *FForm;
}

void MainFormTest::Idle() {
    testsupport::RunUntilIdle();
}

QStringList MainFormTest::Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

void MainFormTest::Select(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    list->setCurrentItem(found.first());
}
