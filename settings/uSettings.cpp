#include "settings/uSettings.h"

#include "platform/AppData.h"
#include "platform/ExeFolder.h"
#include "platform/FileReplace.h"
#include "platform/FileStream.h"
#include "platform/Files.h"
#include "settings/ModXMLSerializer.h"

#include <iostream>

TSettings* Settings = nullptr;
std::string SettingsDir;
std::string SettingsFileName;

namespace {

TSettingsReporter& Reporter() {
    static TSettingsReporter reporter;
    return reporter;
}

TSettingsStreamFactory& StreamFactory() {
    static TSettingsStreamFactory factory;
    return factory;
}

void Report(const std::string& text) {
    if (Reporter()) {
        Reporter()(text);
    } else {
        std::cerr << text << std::endl;
    }
}

// The serializer settings of both loading and saving.
void Configure(TXMLSerializer& serializer) {
    serializer.ExcludeEmptyValues = true;
    serializer.ExcludeDefaultValues = false;
    serializer.ReplaceReservedSymbols = true;
    serializer.IgnoreUnknownTags = false;
    serializer.HeaderText = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
}

// A failure to make the file, in the words of the file layer, naming Settings.xml itself rather than
// the temporary file the document is written to first.
[[noreturn]] void CannotCreate(const std::string& fileName, const std::string& errorText) {
    throw EFCreateError(platform::ExpandFileName(fileName), errorText);
}

} // namespace

const TClassInfo& TSettings::StaticClassInfo() {
    static const TClassInfo info =
        TPublished<TSettings>("TSettings", TPersistent::StaticClassInfo()).LString("SkinName", &TSettings::FSkinName);
    return info;
}

TSettings::TSettings() : FSkinName("actThemeOffice2007") {}

void TSettings::Load() {
    LoadFromFile(SettingsFileName);
}

void TSettings::Save() {
    SaveToFile(SettingsFileName);
}

void TSettings::LoadFromFile(const std::string& fileName) {
    if (!platform::FileExists(fileName)) {
        return;
    }
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareExclusive);
        TXMLSerializer serializer;
        Configure(serializer);
        serializer.LoadObjectFromStream(*this, stream);
    } catch (const std::exception& error) {
        Report("An error occured while loading settings: " + MessageOf(error) + "\n\r" +
               "Please, open \"Settings\" dialogs and check settings");
    }
}

void TSettings::SaveToFile(const std::string& fileName) {
    try {
        if (fileName.empty()) {
            // No application-data folder: nowhere to save. The file layer words the failure.
            TFileStream nowhere(fileName, fmCreate);
        }
        auto memory = std::make_unique<TMemoryStream>();
        const TMemoryStream& document = *memory;
        {
            std::unique_ptr<TStream> stream = StreamFactory() ? StreamFactory()(std::move(memory)) : std::move(memory);
            TXMLSerializer serializer;
            Configure(serializer);
            serializer.SaveObjectToStream(*this, *stream);
            const platform::TReplaceFailure failure = platform::ReplaceFileContent(fileName, document.Bytes());
            if (failure.Stage == platform::EReplaceStage::Write) {
                throw EWriteError();
            }
            if (failure.Failed()) {
                // In the file layer's words, naming Settings.xml rather than the temporary file beside it.
                CannotCreate(fileName, platform::SysErrorMessage(failure.Error));
            }
        }
    } catch (const std::exception& error) {
        Report("An error occured while saving settings: " + MessageOf(error)); // the previous file stays as it was
    }
}

std::string GetAppDataFolder() {
    return platform::GetAppDataFolder();
}

void InitializeSettingsUnit() {
    const char delimiter = platform::PathDelimiter();
    std::string folder = GetAppDataFolder();
    if (folder.empty()) {
        // The folder cannot be determined: no settings folder, so loading finds nothing and saving
        // reports that it cannot create the file.
        SettingsDir.clear();
        SettingsFileName.clear();
        return;
    }
    if (folder.back() != delimiter) {
        folder += delimiter;
    }
    SettingsDir = folder + "Korvane Vellicor" + delimiter;
    if (!platform::DirectoryExists(SettingsDir)) {
        platform::CreateDir(SettingsDir);
    }
    SettingsFileName = SettingsDir + "Settings.xml";
}

void FinalizeSettingsUnit() {
    delete Settings;
    Settings = nullptr;
    SettingsDir.clear();
    SettingsFileName.clear();
}

void SetSettingsReporter(TSettingsReporter reporter) {
    Reporter() = std::move(reporter);
}

void SetSettingsStreamFactory(TSettingsStreamFactory factory) {
    StreamFactory() = std::move(factory);
}
