// The visual themes in the program: the theme applied at start, choosing one from the menu and
// saving the choice, the failures on the way, and every window drawn in the theme of the moment.
#include "MainFormFixture.h"

#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinTheme.h"
#include "themes/ThemePackages.h"
#include "ui/Actions.h"
#include "ui/uDMSkins.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <gmock/gmock.h>

#include <filesystem>

using ::testing::HasSubstr;

namespace {

class ThemeTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        // One version installed: the window opens without a box of its own.
        WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".zip\""}}));
        SetSettingsReporter([this](const std::string& text) { FReports.push_back(text); });
    }
    void TearDown() override {
        MainFormTest::TearDown();
        SetSettingsReporter(nullptr);
    }

    static TAction* Action(TMainForm& form, const char* name) {
        auto* action = form.findChild<TAction*>(QLatin1String(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    static QStringList Checked(const TMainForm& form) {
        QStringList checked;
        for (const TAction* action : form.findChildren<TAction*>()) {
            if (action->Category() == QStringLiteral("Theme") && action->isChecked()) {
                checked << action->objectName();
            }
        }
        return checked;
    }
    static QString Applied(const TMainForm& form) { return Part<TSkinData>(form, "skSkinData")->Theme()->Name(); }

    static bool SettingsFileExists() { return std::filesystem::exists(SettingsFileName); }
    static std::string SettingsFile() { return testsupport::ReadFileBytes(SettingsFileName); }
    /// What the next start would read: a new settings object loaded from the file.
    static std::string SavedSkinName() {
        TSettings saved;
        saved.Load();
        return saved.SkinName();
    }
    /// The next start: a new settings object loaded from the file and a new main window.
    TMainForm& Restart() {
        FForm.reset();
        delete Settings;
        Settings = new TSettings();
        Settings->Load();
        return Open();
    }

    std::vector<std::string> FReports;
};

TEST_F(ThemeTest, withoutASettingsFileTheDefaultIsAppliedAndNothingIsWrittenAtStartOrExit) {
    ASSERT_FALSE(SettingsFileExists());
    TModalScript script;
    TMainForm& form = Open();
    EXPECT_TRUE(script.Seen().empty());
    EXPECT_EQ(Applied(form), QStringLiteral("Office 2007"));
    EXPECT_EQ(Part<TCompressedStoredSkin>(form, "skCompressedStoredSkin")->CompressedFileName(),
              QStringLiteral("Office2007.skn"));
    EXPECT_EQ(Checked(form), QStringList{"actThemeOffice2007"});
    EXPECT_EQ(Action(form, "actThemeOffice2007")->text(), QStringLiteral("Office 2007 (default)"));
    EXPECT_FALSE(SettingsFileExists()) << "start-up writes nothing";

    EXPECT_TRUE(form.close());
    FForm.reset();
    const std::string file = SettingsFileName;
    FinalizeSettingsUnit();
    EXPECT_FALSE(std::filesystem::exists(file)) << "nor does the end";
    EXPECT_TRUE(FReports.empty());
}

TEST_F(ThemeTest, choosingVistaAppliesItChecksItAloneAndSavesItAtOnceForTheNextStart) {
    TMainForm& form = Open();
    auto* skSkinData = Part<TSkinData>(form, "skSkinData");
    const quint64 inflated = TCompressedStoredSkin::InflationCount();
    Action(form, "actThemeVista")->trigger();
    EXPECT_EQ(TCompressedStoredSkin::InflationCount(), inflated + 1);
    EXPECT_EQ(TCompressedStoredSkin::LastInflatedFileName(), QStringLiteral("VistaTM.skn"));
    EXPECT_EQ(Part<TCompressedStoredSkin>(form, "skCompressedStoredSkin")->CompressedFileName(),
              QStringLiteral("VistaTM.skn"));
    EXPECT_EQ(Applied(form), QStringLiteral("Vista"));
    EXPECT_EQ(Checked(form), QStringList{"actThemeVista"});
    EXPECT_EQ(Settings->SkinName(), "actThemeVista");
    ASSERT_TRUE(SettingsFileExists()) << "saved at once";
    EXPECT_THAT(SettingsFile(), HasSubstr("actThemeVista"));
    EXPECT_EQ(SavedSkinName(), "actThemeVista");

    // Tooltips, windows of their own, take the theme's colours and font too.
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase),
              skSkinData->Theme()->Palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipText),
              skSkinData->Theme()->Palette().color(QPalette::ToolTipText));
    EXPECT_EQ(QToolTip::font(), skSkinData->Theme()->DefaultFont());

    TMainForm& next = Restart();
    EXPECT_EQ(Applied(next), QStringLiteral("Vista"));
    EXPECT_EQ(Part<TCompressedStoredSkin>(next, "skCompressedStoredSkin")->CompressedFileName(),
              QStringLiteral("VistaTM.skn"));
    EXPECT_EQ(Checked(next), QStringList{"actThemeVista"});

    // The checked theme chosen again: applied again and saved again.
    std::filesystem::remove(SettingsFileName);
    int reloads = 0;
    QObject::connect(Part<TSkinData>(next, "skSkinData"), &TSkinData::SkinChanged, [&reloads] { ++reloads; });
    const quint64 again = TCompressedStoredSkin::InflationCount();
    Action(next, "actThemeVista")->trigger();
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(TCompressedStoredSkin::InflationCount(), again + 1);
    EXPECT_EQ(Checked(next), QStringList{"actThemeVista"}) << "choosing it does not take its mark away";
    EXPECT_EQ(SavedSkinName(), "actThemeVista");
    EXPECT_TRUE(FReports.empty());
}

TEST_F(ThemeTest, theSavedNameIsAppliedAtStartOrReportedWithTheDefaultKept) {
    const struct {
        const char* Name;
        std::string SkinName;
        QStringList Boxes;
        QString Applied;
        QStringList Checked;
    } cases[] = {
        {"letter case differs", "actthemevista", {}, "Vista", {}},
        {"unknown", "actThemeOffice2003", {"Unknown Theme: actThemeOffice2003"}, "Office 2007", {"actThemeOffice2007"}},
        {"empty", "", {"Unknown Theme: "}, "Office 2007", {"actThemeOffice2007"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FForm.reset();
        // A settings file as some start found it; the loaded object holds the name.
        Settings->SetSkinName(c.SkinName);
        Settings->Save();
        const std::string file = SettingsFile();
        Settings->SetSkinName(c.SkinName);

        TModalScript script;
        for (qsizetype i = 0; i < c.Boxes.size(); ++i) {
            script.Click("OK");
        }
        TMainForm& form = Open();
        EXPECT_EQ(script.Texts(), c.Boxes);
        for (const TSeenModal& box : script.Seen()) {
            EXPECT_EQ(box.Caption, QStringLiteral("Information"));
            EXPECT_EQ(box.Buttons, QStringList{"OK"});
        }
        EXPECT_EQ(Applied(form), c.Applied);
        EXPECT_EQ(Checked(form), c.Checked);
        EXPECT_EQ(Settings->SkinName(), c.SkinName) << "the name is kept as it was";
        EXPECT_EQ(SettingsFile(), file) << "nothing is written";
        EXPECT_TRUE(form.close());
        EXPECT_EQ(SettingsFile(), file);
    }
    EXPECT_TRUE(FReports.empty());
}

TEST_F(ThemeTest, aFailedSaveIsReportedByTheSettingsStoreAndTheThemeStaysApplied) {
    // A folder where the file should be: the store cannot replace it.
    std::filesystem::create_directories(SettingsFileName);
    TModalScript script;
    TMainForm& form = Open();
    Action(form, "actThemeOrion")->trigger();
    ASSERT_EQ(FReports.size(), 1u);
    EXPECT_THAT(FReports[0], HasSubstr("An error occured while saving settings: Cannot create file"));
    EXPECT_THAT(FReports[0], HasSubstr(SettingsFileName));
    EXPECT_TRUE(script.Seen().empty()) << "no other box: the store reports the failure itself";
    EXPECT_EQ(Applied(form), QStringLiteral("Orion"));
    EXPECT_EQ(Checked(form), QStringList{"actThemeOrion"});
    EXPECT_EQ(Settings->SkinName(), "actThemeOrion");
}

TEST_F(ThemeTest, applyingAThemeInflatesOnlyThatThemeAndTheStoreLivesOnlyMeanwhile) {
    TMainForm& form = Open();
    auto* skSkinData = Part<TSkinData>(form, "skSkinData");
    ASSERT_EQ(TDMSkins::Instances(), 0);
    int storesWhileLoading = -1;
    QObject::connect(skSkinData, &TSkinData::SkinChanged,
                     [&storesWhileLoading] { storesWhileLoading = TDMSkins::Instances(); });
    for (const themes::TThemePackage& theme : themes::Packages()) {
        SCOPED_TRACE(theme.Identifier);
        const quint64 inflated = TCompressedStoredSkin::InflationCount();
        storesWhileLoading = -1;
        form.ApplyTheme(QLatin1String(theme.Identifier));
        EXPECT_EQ(TCompressedStoredSkin::InflationCount(), inflated + 1);
        EXPECT_EQ(TCompressedStoredSkin::LastInflatedFileName(), QLatin1String(theme.FileName));
        EXPECT_EQ(Part<TCompressedStoredSkin>(form, "skCompressedStoredSkin")->CompressedFileName(),
                  QLatin1String(theme.FileName));
        EXPECT_EQ(storesWhileLoading, 1);
        EXPECT_EQ(TDMSkins::Instances(), 0);
        EXPECT_EQ(Checked(form), QStringList{QLatin1String(theme.Identifier)});
    }

    // An unknown name: nothing inflated, nothing changed, the store released all the same.
    const TSkinTheme* live = skSkinData->Theme();
    const quint64 inflated = TCompressedStoredSkin::InflationCount();
    try {
        form.ApplyTheme(QStringLiteral("actThemeNone"));
        ADD_FAILURE() << "applied";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Unknown Theme: actThemeNone");
    }
    EXPECT_EQ(TCompressedStoredSkin::InflationCount(), inflated);
    EXPECT_EQ(TDMSkins::Instances(), 0);
    EXPECT_EQ(skSkinData->Theme(), live);
    EXPECT_EQ(Checked(form), QStringList{"actThemeWinXPSilver"});
}

TEST_F(ThemeTest, aMessageBoxOpenedAfterAThemeChangeIsDrawnInTheNewTheme) {
    TMainForm& form = Open();
    auto* skSkinData = Part<TSkinData>(form, "skSkinData");
    struct TSeenBox {
        int ButtonHeight = 0;
        int OuterWidth = 0;
        const TSkinData* Frame = nullptr;
        bool CaptionFromTheTheme = false;
    };
    const auto showBox = [&form] {
        TSeenBox seen;
        TModalScript script;
        script.Then([&seen](QWidget* modal) {
            seen.ButtonHeight = modal->findChild<QPushButton*>(QStringLiteral("OK"))->height();
            seen.OuterWidth = modal->width();
            const TSkinForm* frame = TSkinForm::Of(modal);
            seen.Frame = frame != nullptr && frame->FrameActive() ? frame->SkinData() : nullptr;
            if (seen.Frame != nullptr) {
                const TSkinPart* caption =
                    seen.Frame->Theme()->Object(QStringLiteral("form"))->Part(QStringLiteral("Caption"));
                const QColor drawn = modal->grab().toImage().pixelColor(5, 13);
                seen.CaptionFromTheTheme =
                    drawn == caption->State(0).pixelColor(5, 13) || drawn == caption->State(1).pixelColor(5, 13);
            }
            modal->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        // A short text: the box is as narrow as the theme's frame allows.
        form.ShowInformation(QStringLiteral("x"));
        return seen;
    };
    for (const char* name : {"actThemeOffice2007", "actThemeGameStyle", "actThemeFineVector2"}) {
        SCOPED_TRACE(name);
        Action(form, name)->trigger();
        const TSeenBox seen = showBox();
        EXPECT_EQ(seen.ButtonHeight, *skSkinData->ButtonPictureHeight());
        EXPECT_EQ(seen.OuterWidth, skSkinData->FrameMinWidth());
        EXPECT_EQ(seen.Frame, skSkinData);
        EXPECT_TRUE(seen.CaptionFromTheTheme);
    }
}

TEST_F(ThemeTest, theCaptionsCloseButtonAsksTheMainWindowsCloseQuestion) {
    TMainForm& form = Open();
    EXPECT_NE(form.findChild<QAbstractButton*>(QStringLiteral("SkinMinimizeButton")), nullptr);
    auto* close = form.findChild<QAbstractButton*>(QStringLiteral("SkinCloseButton"));
    ASSERT_NE(close, nullptr);
    ASSERT_TRUE(close->isVisible());
    {
        TModalScript script; // an edit not yet saved
        Type(script, QStringLiteral(".new"));
        Part<TAction>(form, "actAllowedAdd")->trigger();
        ASSERT_TRUE(form.IsModified());
    }
    {
        TModalScript script;
        script.Click("Cancel");
        QTest::mouseClick(close, Qt::LeftButton);
        EXPECT_EQ(script.Texts(), QStringList{"Save changes before exit?"});
        EXPECT_TRUE(form.isVisible()) << "Cancel keeps the window open";
    }
    {
        TModalScript script;
        script.Click("No");
        QTest::mouseClick(close, Qt::LeftButton);
        EXPECT_EQ(script.Texts(), QStringList{"Save changes before exit?"});
        EXPECT_FALSE(form.isVisible());
    }
}

} // namespace
