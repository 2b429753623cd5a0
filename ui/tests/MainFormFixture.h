#pragma once

#include "ModalScript.h"
#include "TempDir.h"

#include "settings/uSettings.h"
#include "ui/Application.h"
#include "ui/uMainForm.h"

#include <QListWidget>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

/// A main window on a Wine prefix and a settings folder of the test's own.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// One version's keys in user.reg form: the Outlook key and, unless `security` is false, its
    /// Security key with the given values (name -> raw data text as Wine writes it, e.g. "\".zip\"").
    static std::string VersionKeys(const std::string& version, const std::map<std::string, std::string>& values,
                                   bool security = true);
    void WriteHive(const std::string& keys);
    std::string Hive() const;
    std::filesystem::path HivePath() const { return FDir.Path() / "prefix" / "user.reg"; }

    /// Creates the window (its creation may show boxes: give them a script first), shows it and
    /// lets the idle handlers run.
    TMainForm& Open();
    void Idle();

    static QStringList Items(const QListWidget* list);
    static void Select(QListWidget* list, const QString& text);

    testsupport::TTempDir FDir;
    std::unique_ptr<testsupport::TScopedEnv> FPrefix;
    std::unique_ptr<testsupport::TScopedEnv> FConfig;
    std::unique_ptr<TMainForm> FForm;
};
