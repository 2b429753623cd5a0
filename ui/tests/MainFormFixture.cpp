#include "MainFormFixture.h"

#include "GuiTestSupport.h"

#include "outlook/ExtensionsFile.h"

#include <QListWidget>

void MainFormTest::SetUp() {
    FPrefix = std::make_unique<testsupport::TScopedEnv>("WINEPREFIX", (FDir.Path() / "prefix").string());
    FConfig = std::make_unique<testsupport::TScopedEnv>("XDG_CONFIG_HOME", (FDir.Path() / "config").string());
    std::filesystem::create_directories(FDir.Path() / "prefix");
    std::filesystem::create_directories(FDir.Path() / "config");
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
    testsupport::WriteFileBytes(HivePath(), "WINE REGISTRY Version 2\n"
                                            ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                                            "#arch=win64\n\n" +
                                                keys);
}

std::string MainFormTest::Hive() const {
    return testsupport::ReadFileBytes(HivePath());
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
