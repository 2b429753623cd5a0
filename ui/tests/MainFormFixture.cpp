#include "MainFormFixture.h"
#include "TestHive.h"

#include "GuiTestSupport.h"

#include "outlook/ExtensionsFile.h"
#include "ui/uAddFileType.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

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
    WriteTestHive(HivePath(), keys);
}

std::string MainFormTest::Hive() const {
    return ReadTestHive(HivePath());
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

TModalScript& Type(TModalScript& script, const QString& text) {
    return script.Then([text](QWidget* modal) {
        auto* form = qobject_cast<TAddFileTypeForm*>(modal);
        if (form == nullptr) {
            ADD_FAILURE() << "expected the Add file types dialog, got "
                          << TModalScript::Describe(modal).Text.toStdString();
            modal->close();
            return;
        }
        Part<QRadioButton>(*form, "rbManual")->click();
        Part<QLineEdit>(*form, "edtInputExtensions")->setText(text);
        Part<QPushButton>(*form, "btnOK")->click();
    });
}

std::string ValueLine(const std::string& hive, const std::string& version, const std::string& name) {
    const std::string header = "[Software\\\\Microsoft\\\\Office\\\\" + version + "\\\\Outlook\\\\Security]";
    auto pos = hive.find(header);
    while (pos != std::string::npos) {
        pos = hive.find('\n', pos);
        if (pos == std::string::npos || pos + 1 >= hive.size() || hive[pos + 1] == '[') {
            break;
        }
        ++pos;
        if (hive.compare(pos, name.size() + 2, "\"" + name + "\"") == 0) {
            return hive.substr(pos, hive.find('\n', pos) - pos);
        }
    }
    return {};
}
