// The main window where the hive is a Wine prefix's user.reg: a save refused because Wine runs.
#include "../MainFormFixture.h"
#include "FakeWineServer.h"

#include "ui/Actions.h"

#include <QComboBox>
#include <QListWidget>

namespace {

TEST_F(MainFormTest, aFailedSaveWhileSwitchingKeepsThePreviousVersionOnScreenAndSelected) {
    WriteHive(VersionKeys("11.0", {{"Level1Add", "\".old\""}}) + VersionKeys("12.0", {{"Level1Add", "\".new\""}}));
    TMainForm& form = Open();
    auto* cbOutlookVersion = Part<QComboBox>(form, "cbOutlookVersion");
    {
        TModalScript script;
        Type(script, ".added");
        Part<TAction>(form, "actBlockedAdd")->trigger();
    }
    const std::string before = Hive();
    testsupport::TScopedEnv tmp("TMPDIR", "/tmp");
    {
        testsupport::TFakeRunningWine wine(FDir.Path() / "prefix");
        TModalScript script;
        script.Click("Yes").Click("OK");
        cbOutlookVersion->setCurrentIndex(0);
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[1].ObjectName, QStringLiteral("ApplicationErrorBox"));
        EXPECT_TRUE(script.Seen()[1].Text.startsWith(QStringLiteral("Error writing to Registry\n")));
        EXPECT_TRUE(script.Seen()[1].Text.contains(QStringLiteral("Wine is running")));
        // The selector shows the version whose lists are on screen; the edits are still there.
        EXPECT_EQ(cbOutlookVersion->currentIndex(), 1);
        EXPECT_EQ(form.VersionIndex(), 1);
        EXPECT_EQ(Items(Part<QListWidget>(form, "lbBlocked")), (QStringList{".added", ".new"}));
        EXPECT_TRUE(form.IsModified());
        EXPECT_EQ(Hive(), before);

        // The close question's Yes with a failing save keeps the window open as well.
        TModalScript closing;
        closing.Click("Yes").Click("OK");
        EXPECT_FALSE(form.close());
        EXPECT_EQ(closing.Seen().size(), 2u);
    }
    // With Wine gone the same edits save to the version they belong to.
    Idle();
    Part<TAction>(form, "actSave")->trigger();
    EXPECT_EQ(ValueLine(Hive(), "12.0", "Level1Add"), "\"Level1Add\"=\".added;.new\"");
    EXPECT_EQ(ValueLine(Hive(), "11.0", "Level1Add"), "\"Level1Add\"=\".old\"");
}

} // namespace
