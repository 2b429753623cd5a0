#pragma once

// The program's one setting, the visual theme, kept in Settings.xml in a folder of the program's own
// under the user's application-data folder.

#include "base/Streams.h"
#include "settings/Classes.h"

#include <functional>
#include <memory>
#include <string>

class TSettings : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    /// Sets SkinName to "actThemeOffice2007".
    TSettings();

    /// The name of the action of the chosen visual theme.
    const std::string& SkinName() const { return FSkinName; }
    void SetSkinName(std::string skinName) { FSkinName = std::move(skinName); }

    /// LoadFromFile(SettingsFileName).
    void Load();
    /// Fills the object from the file when it exists; reports a failure itself and always returns.
    void LoadFromFile(const std::string& fileName);
    /// SaveToFile(SettingsFileName).
    void Save();
    /// Writes the object to the file, replacing it only once the new document is complete; reports a
    /// failure itself and always returns. A failed save leaves the previous file as it was.
    void SaveToFile(const std::string& fileName);

private:
    std::string FSkinName;
};

/// The one settings object; start-up creates it, FinalizeSettingsUnit destroys it.
extern TSettings* Settings;
/// The settings folder, with a trailing separator.
extern std::string SettingsDir;
/// SettingsDir + "Settings.xml".
extern std::string SettingsFileName;

/// Works out SettingsDir and SettingsFileName and creates the folder when it is missing (one level;
/// a failure is not reported: a later save reports it). The program calls it first thing at start.
void InitializeSettingsUnit();
/// Destroys Settings (without saving) and clears both paths. The program calls it at the end.
void FinalizeSettingsUnit();

/// The current user's (roaming) application-data folder.
std::string GetAppDataFolder();

/// Shows a load or save failure to the user. The GUI plugs in its plain message dialog; without one the
/// text goes to the standard error stream.
using TSettingsReporter = std::function<void(const std::string& text)>;
void SetSettingsReporter(TSettingsReporter reporter);

/// Gives the stream a save writes the new document into, from the memory stream whose bytes then replace
/// Settings.xml. Tests wrap that stream to make the writing fail part-way; null writes to it directly.
using TSettingsStreamFactory = std::function<std::unique_ptr<TStream>(std::unique_ptr<TStream> document)>;
void SetSettingsStreamFactory(TSettingsStreamFactory factory);
