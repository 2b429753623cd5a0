#pragma once

#include "ModalScript.h"
#include "ScratchAppData.h"
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

/// The part of `window` whose object name is `name`, found as a user's tools find it (by name, not through
/// the window's members); a test failure when there is none.
template <class T> T* Part(const QObject& window, const char* name) {
    T* part = window.findChild<T*>(QString::fromLatin1(name));
    if (part == nullptr) {
        ADD_FAILURE() << "no part named " << name;
    }
    return part;
}

/// A step of `script` that answers the Add file types dialog with typed text.
TModalScript& Type(TModalScript& script, const QString& text);

/// The line of value `name` in the Security key of Outlook `version` in a hive of user.reg form (Hive()'s);
/// empty when there is none.
std::string ValueLine(const std::string& hive, const std::string& version, const std::string& name);

/// A main window on a registry hive and a settings folder of the test's own. Linux: a Wine prefix whose
/// user.reg the test writes. Windows: a scratch key standing for HKEY_CURRENT_USER, written and read in
/// user.reg's form, so that the same cases run on both.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// One version's keys in user.reg form: the Outlook key and, unless `security` is false, its
    /// Security key with the given values (name -> raw data text as Wine writes it, e.g. "\".zip\"").
    static std::string VersionKeys(const std::string& version, const std::map<std::string, std::string>& values,
                                   bool security = true);
    /// Replaces the Outlook keys of the hive by `keys` (VersionKeys' output).
    void WriteHive(const std::string& keys);
    /// The Outlook keys and values in user.reg form (on Linux, the whole of user.reg).
    std::string Hive() const;
    /// Linux: the prefix's user.reg.
    std::filesystem::path HivePath() const { return FDir.Path() / "prefix" / "user.reg"; }

    /// Creates the window (its creation may show boxes: give them a script first), shows it and
    /// lets the idle handlers run.
    TMainForm& Open();
    void Idle();

    static QStringList Items(const QListWidget* list);
    static void Select(QListWidget* list, const QString& text);

    testsupport::TTempDir FDir;
    std::unique_ptr<testsupport::TScopedEnv> FPrefix;
    std::unique_ptr<testsupport::TScratchAppData> FAppData;
    std::unique_ptr<TMainForm> FForm;
};
