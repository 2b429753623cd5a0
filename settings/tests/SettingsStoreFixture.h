#pragma once

// The settings store as a user meets it: a fresh application-data folder, the settings unit initialised
// for it, and its messages collected instead of shown.
#include "ScratchAppData.h"
#include "settings/uSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

inline const std::string LoadPrefix = "An error occured while loading settings: ";
inline const std::string LoadSuffix = "\n\rPlease, open \"Settings\" dialogs and check settings";
inline const std::string SavePrefix = "An error occured while saving settings: ";

class SettingsStore : public testing::Test {
protected:
    SettingsStore() : FConfig(FAppData.Path()) {}

    void SetUp() override {
        if (!FAppData.Redirected()) {
            GTEST_SKIP() << "the application-data folder cannot be redirected here; the user's own is left alone";
        }
        SetSettingsReporter([this](const std::string& text) { Messages.push_back(text); });
        InitializeSettingsUnit();
        Settings = new TSettings;
    }
    void TearDown() override {
        FinalizeSettingsUnit();
        SetSettingsReporter(nullptr);
        SetSettingsStreamFactory(nullptr);
    }

    std::filesystem::path Folder() const { return FConfig / "Korvane Vellicor"; }
    std::filesystem::path File() const { return Folder() / "Settings.xml"; }

    testsupport::TScratchAppData FAppData;
    std::filesystem::path FConfig;
    std::vector<std::string> Messages;
};
