#include "MainFormFixture.h"

#include "NamedProcess.h"

#include "platform/WinePrefixes.h"
#include "ui/Actions.h"
#include "ui/uAddFileType.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

const char* const kNotDetected =
    "Microsoft Outlook was not detected on the system (verison 2000 and above).\n\r"
    "Cannot modify attachment security settings.\n\r"
    "Please, install Outlook and run it at least once at current user account\n\r"
    "Note: this program is not intended for Outlook Express, visit our site to see how to configure Outlook "
    "Express security settings";
const char* const kRestart = "Changes saved but detected Microsoft Outlook running. \n\r"
                             "Please, restart Microsoft Outlook to apply changes.\n\r"
                             "Sometimes applying changes requires to restart a computer";

std::string Line(const std::string& hive, const std::string& start) {
    const auto pos = hive.find(start);
    return pos == std::string::npos ? std::string() : hive.substr(pos, hive.find('\n', pos) - pos);
}

TEST_F(MainFormTest, showsTheInstalledVersionsOldestFirstWithTheNewestSelected) {
    WriteHive(VersionKeys("11.0", {{"Level1Remove", "\".mdb\""}}) +
              VersionKeys("12.0", {{"Level1Remove", "\".zip;.Bat;.cmd\""}, {"Level1Add", "\".url\""}}));
    TMainForm& form = Open();
    auto* cbOutlookVersion = Part<QComboBox>(form, "cbOutlookVersion");
    ASSERT_EQ(cbOutlookVersion->count(), 2);
    EXPECT_EQ(cbOutlookVersion->itemText(0), QStringLiteral("Outlook 2003"));
    EXPECT_EQ(cbOutlookVersion->itemText(1), QStringLiteral("Outlook 2007"));
    EXPECT_EQ(cbOutlookVersion->currentIndex(), 1);
    EXPECT_EQ(form.VersionIndex(), 1);
    // Sorted without regard to letter case.
    EXPECT_EQ(Items(Part<QListWidget>(form, "lbAllowed")), (QStringList{".Bat", ".cmd", ".zip"}));
    EXPECT_EQ(Items(Part<QListWidget>(form, "lbBlocked")), QStringList{".url"});
    EXPECT_FALSE(Part<TAction>(form, "actSave")->isEnabled());
    EXPECT_FALSE(Part<TAction>(form, "actCancel")->isEnabled());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vellicor 2009 by korvane.example"));
    EXPECT_EQ(Part<QTabWidget>(form, "PageControl")->currentIndex(), 0);
}

TEST_F(MainFormTest, addingTwiceShowsTwiceAndSaveWritesBoth) {
    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".exe\""}}));
    TMainForm& form = Open();
    auto* actSave = Part<TAction>(form, "actSave");
    TModalScript script;
    Type(script, ".exe");
    Part<TAction>(form, "actAllowedAdd")->trigger();
    Idle();
    EXPECT_EQ(Items(Part<QListWidget>(form, "lbAllowed")), (QStringList{".exe", ".exe"}));
    EXPECT_TRUE(actSave->isEnabled());
    actSave->trigger();
    EXPECT_EQ(Line(Hive(), "\"Level1Remove\""), "\"Level1Remove\"=\".exe;.exe\"");
    Idle();
    EXPECT_FALSE(actSave->isEnabled());
}

TEST_F(MainFormTest, removeNeedsASelectionAndRemovesOneEntryLeavingSaveEnabled) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".a;.b;.b\""}}));
    TMainForm& form = Open();
    auto* actBlockedRemove = Part<TAction>(form, "actBlockedRemove");
    auto* lbBlocked = Part<QListWidget>(form, "lbBlocked");
    auto* actSave = Part<TAction>(form, "actSave");
    Part<QTabWidget>(form, "PageControl")->setCurrentIndex(1);
    Idle();
    EXPECT_FALSE(actBlockedRemove->isEnabled());
    Select(lbBlocked, ".b");
    Idle();
    EXPECT_TRUE(actBlockedRemove->isEnabled());
    actBlockedRemove->trigger();
    EXPECT_EQ(Items(lbBlocked), (QStringList{".a", ".b"}));
    Idle();
    EXPECT_TRUE(actSave->isEnabled());
    // Nothing the user did not pick is selected afterwards: pressing Remove again takes nothing.
    EXPECT_TRUE(lbBlocked->selectedItems().isEmpty());
    EXPECT_FALSE(actBlockedRemove->isEnabled());
    form.findChild<QPushButton*>(QStringLiteral("btnBlockRemove"))->click();
    EXPECT_EQ(Items(lbBlocked), (QStringList{".a", ".b"}));

    // Add then remove it again: still modified.
    TModalScript script;
    Type(script, ".new");
    Part<TAction>(form, "actBlockedAdd")->trigger();
    Select(lbBlocked, ".new");
    Idle(); // Remove becomes available once the entry is picked
    actBlockedRemove->trigger();
    EXPECT_EQ(Items(lbBlocked), (QStringList{".a", ".b"}));
    Idle();
    EXPECT_TRUE(actSave->isEnabled());
    EXPECT_TRUE(form.IsModified());
    // Only the side that was edited is written.
    actSave->trigger();
    EXPECT_EQ(ValueLine(Hive(), "12.0", "Level1Add"), "\"Level1Add\"=\".a;.b\"");
    EXPECT_EQ(ValueLine(Hive(), "12.0", "Level1Remove"), "");
}

TEST_F(MainFormTest, saveWritesOnlyTheModifiedSide) {
    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".b; .a\""}, {"Level1Add", "\".url\""}}));
    TMainForm& form = Open();
    const std::string allowedLine = Line(Hive(), "\"Level1Remove\"");
    TModalScript script;
    Type(script, ".exe");
    Part<TAction>(form, "actBlockedAdd")->trigger();
    Idle();
    Part<TAction>(form, "actSave")->trigger();
    const std::string hive = Hive();
    EXPECT_EQ(Line(hive, "\"Level1Remove\""), allowedLine); // not even re-sorted
    EXPECT_EQ(Line(hive, "\"Level1Add\""), "\"Level1Add\"=\".exe;.url\"");
}

TEST_F(MainFormTest, cancelAnsweredNoKeepsEditsAndYesRereadsTheRegistry) {
    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".a\""}}));
    TMainForm& form = Open();
    auto* actAllowedAdd = Part<TAction>(form, "actAllowedAdd");
    auto* actCancel = Part<TAction>(form, "actCancel");
    auto* lbAllowed = Part<QListWidget>(form, "lbAllowed");
    {
        TModalScript script;
        Type(script, ".b").Click("No");
        actAllowedAdd->trigger();
        Idle();
        actCancel->trigger();
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[1].Text, QStringLiteral("Do you wish to cancel changes?"));
        EXPECT_EQ(script.Seen()[1].Caption, QStringLiteral("Confirm"));
        EXPECT_EQ(Items(lbAllowed), (QStringList{".a", ".b"}));
    }
    // Another program changes the stored list meanwhile.
    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".changed\""}}));
    {
        TModalScript script;
        script.Click("Yes");
        actCancel->trigger();
        EXPECT_EQ(Items(lbAllowed), QStringList{".changed"});
        EXPECT_FALSE(form.IsModified());
    }
    {
        TModalScript script;
        Type(script, ".c").CloseWindow(); // the question closed without a button counts as No
        actAllowedAdd->trigger();
        Idle();
        actCancel->trigger();
        EXPECT_EQ(Items(lbAllowed), (QStringList{".c", ".changed"}));
        EXPECT_TRUE(form.IsModified());
    }
}

TEST_F(MainFormTest, switchingVersionsOffersToSaveTheEditsToThePreviousVersion) {
    WriteHive(VersionKeys("11.0", {{"Level1Add", "\".old\""}}) + VersionKeys("12.0", {{"Level1Add", "\".new\""}}));
    TMainForm& form = Open();
    auto* actBlockedAdd = Part<TAction>(form, "actBlockedAdd");
    auto* cbOutlookVersion = Part<QComboBox>(form, "cbOutlookVersion");
    auto* lbBlocked = Part<QListWidget>(form, "lbBlocked");
    {
        TModalScript script;
        Type(script, ".added").Click("Yes");
        actBlockedAdd->trigger();
        cbOutlookVersion->setCurrentIndex(0);
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[1].Text,
                  QStringLiteral("Do you wish to save changes before switching to another Outlook version"));
        EXPECT_EQ(script.Seen()[1].Buttons, (QStringList{"&Yes", "&No"}));
    }
    const std::string hive = Hive();
    EXPECT_NE(hive.find("\"Level1Add\"=\".added;.new\""), std::string::npos);
    EXPECT_EQ(Items(lbBlocked), QStringList{".old"});
    EXPECT_EQ(form.VersionIndex(), 0);
    {
        TModalScript script;
        Type(script, ".dropped").Click("No");
        actBlockedAdd->trigger();
        cbOutlookVersion->setCurrentIndex(1);
    }
    EXPECT_EQ(Hive(), hive);
    EXPECT_EQ(Items(lbBlocked), (QStringList{".added", ".new"}));
    EXPECT_FALSE(form.IsModified());
}

TEST_F(MainFormTest, closingAsksOnlyWithEditsAndCancelKeepsTheWindow) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".a\""}}));
    TMainForm& form = Open();
    {
        TModalScript script;
        EXPECT_TRUE(form.close()); // clean: no question
        EXPECT_TRUE(script.Seen().empty());
    }
    form.show();
    struct Case {
        const char* name;
        std::function<void(TModalScript&)> answer;
        bool closes;
        bool writes;
    };
    const Case cases[] = {
        {"Cancel", [](TModalScript& s) { s.Click("Cancel"); }, false, false},
        {"closed without a button", [](TModalScript& s) { s.CloseWindow(); }, false, false},
        {"No", [](TModalScript& s) { s.Click("No"); }, true, false},
        {"Yes", [](TModalScript& s) { s.Click("Yes"); }, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteHive(VersionKeys("12.0", {{"Level1Add", "\".a\""}}));
        form.show();
        {
            TModalScript script;
            Type(script, ".b");
            Part<TAction>(form, "actBlockedAdd")->trigger();
        }
        const std::string before = Hive();
        TModalScript script;
        c.answer(script);
        EXPECT_EQ(form.close(), c.closes);
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].Text, QStringLiteral("Save changes before exit?"));
        EXPECT_EQ(script.Seen()[0].Buttons, (QStringList{"&Yes", "&No", "Cancel"}));
        EXPECT_EQ(Hive() != before, c.writes);
        if (form.IsModified()) { // the edits of a window left open go, as Cancel answered Yes takes them
            Idle();
            TModalScript discard;
            discard.Click("Yes");
            Part<TAction>(form, "actCancel")->trigger();
        }
    }
}

TEST_F(MainFormTest, withoutOutlookTellsTheUserAndSaveRefusesClearly) {
    TModalScript script;
    script.Click("OK");
    TMainForm& form = Open();
    auto* lbAllowed = Part<QListWidget>(form, "lbAllowed");
    auto* actSave = Part<TAction>(form, "actSave");
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].Text, MessageLines(QString::fromLatin1(kNotDetected)));
    EXPECT_EQ(script.Seen()[0].Caption, QStringLiteral("Information"));
    EXPECT_EQ(Part<QComboBox>(form, "cbOutlookVersion")->count(), 0);
    EXPECT_EQ(lbAllowed->count(), 0);
    EXPECT_EQ(Part<QListWidget>(form, "lbBlocked")->count(), 0);

    TModalScript more;
    Type(more, ".exe").Click("OK");
    Part<TAction>(form, "actAllowedAdd")->trigger();
    Idle();
    EXPECT_TRUE(actSave->isEnabled());
    actSave->trigger();
    ASSERT_EQ(more.Seen().size(), 2u);
    EXPECT_EQ(more.Seen()[1].ObjectName, QStringLiteral("ApplicationErrorBox"));
    EXPECT_TRUE(more.Seen()[1].Text.contains(QStringLiteral("Outlook")));
    EXPECT_FALSE(std::filesystem::exists(HivePath()));
    EXPECT_TRUE(form.IsModified()); // still there for another try
    EXPECT_EQ(Items(lbAllowed), QStringList{".exe"});
}

TEST_F(MainFormTest, failingReadDuringCreationIsShownAndTheWindowOpens) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "dword:00000001"}}));
    TModalScript script;
    script.Click("OK");
    TMainForm& form = Open();
    ASSERT_EQ(script.Seen().size(), 1u);
    // The quote ends the message and lies below the full stop: none is added.
    EXPECT_EQ(script.Seen()[0].Text, QStringLiteral("Invalid data type for 'Level1Add'"));
    EXPECT_EQ(script.Seen()[0].ObjectName, QStringLiteral("ApplicationErrorBox"));
    EXPECT_EQ(script.Seen()[0].Caption, QStringLiteral("Vellicor 2009 by korvane.example"));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Part<QComboBox>(form, "cbOutlookVersion")->count(), 1);
}

TEST_F(MainFormTest, creationReadsOnlyTheNewestVersionsLists) {
    // An older version whose list cannot be read: nothing of it is read while the window opens.
    WriteHive(VersionKeys("11.0", {{"Level1Add", "dword:00000001"}}) +
              VersionKeys("12.0", {{"Level1Remove", "\".a\""}, {"Level1Add", "\".new\""}}));
    TModalScript script;
    TMainForm& form = Open();
    EXPECT_TRUE(script.Seen().empty()) << script.Texts().join(u'|').toStdString();
    EXPECT_EQ(Part<QComboBox>(form, "cbOutlookVersion")->currentIndex(), 1);
    EXPECT_EQ(Items(Part<QListWidget>(form, "lbAllowed")), QStringList{".a"});
    EXPECT_EQ(Items(Part<QListWidget>(form, "lbBlocked")), QStringList{".new"});
}

TEST_F(MainFormTest, aFailedLoadShowsNoListOfAnotherVersion) {
    WriteHive(VersionKeys("11.0", {{"Level1Remove", "dword:00000001"}, {"Level1Add", "\".old\""}}) +
              VersionKeys("12.0", {{"Level1Remove", "\".a\""}, {"Level1Add", "\".new\""}}));
    TMainForm& form = Open();
    TModalScript script;
    script.Click("OK");
    Part<QComboBox>(form, "cbOutlookVersion")->setCurrentIndex(0);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].ObjectName, QStringLiteral("ApplicationErrorBox"));
    EXPECT_EQ(form.VersionIndex(), 0);
    // Nothing on screen may be saved under 2003 that belongs to 2007.
    EXPECT_TRUE(Items(Part<QListWidget>(form, "lbAllowed")).isEmpty());
    EXPECT_TRUE(Items(Part<QListWidget>(form, "lbBlocked")).isEmpty());
    EXPECT_FALSE(form.IsModified());
}

TEST_F(MainFormTest, saveWarnsAfterTheWritesWhenOutlookRuns) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".a\""}}));
    TMainForm& form = Open();
    testsupport::TNamedProcess outlook("OUTLOOK.EXE");
    std::string hiveWhenAsked;
    TModalScript script;
    Type(script, ".b").Then([&](QWidget* modal) {
        hiveWhenAsked = Hive();
        modal->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    Part<TAction>(form, "actBlockedAdd")->trigger();
    Idle();
    Part<TAction>(form, "actSave")->trigger();
    ASSERT_EQ(script.Seen().size(), 2u);
    EXPECT_EQ(script.Seen()[1].Text, MessageLines(QString::fromLatin1(kRestart)));
    EXPECT_EQ(script.Seen()[1].Caption, QStringLiteral("Information"));
    EXPECT_NE(hiveWhenAsked.find("\"Level1Add\"=\".a;.b\""), std::string::npos);
}

TEST_F(MainFormTest, menusHoldTheirEntriesInOrder) {
    WriteHive(VersionKeys("12.0", {}));
    TMainForm& form = Open();
    auto* actHelpContents = Part<TAction>(form, "actHelpContents");
    const auto menus = Part<QMenuBar>(form, "MainMenuBar")->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("Visual Theme"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("Help"));
    const auto file = menus[0]->menu()->actions();
    ASSERT_EQ(file.size(), 3);
    EXPECT_EQ(file[0], Part<TAction>(form, "actCheckFileType"));
    EXPECT_TRUE(file[1]->isSeparator());
    EXPECT_EQ(file[2]->text(), QStringLiteral("E&xit"));
    const auto help = menus[2]->menu()->actions();
    ASSERT_EQ(help.size(), 3);
    EXPECT_EQ(help[0], actHelpContents);
    EXPECT_TRUE(help[1]->isSeparator());
    EXPECT_EQ(help[2], Part<TAction>(form, "actHelpAbout"));
    EXPECT_EQ(actHelpContents->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(menus[1]->menu()->actions().size(), 11);
}

} // namespace

// A keyboard user removes and saves only what they meant: after Space on Remove the focus stays in the
// list (Qt would hand it to Save, and a second Space would write the hive), Delete removes the entry
// picked, Enter presses the focused button, and after Save the focus is back in the list.
TEST_F(MainFormTest, theKeyboardRemovesAndSavesOnlyWhatTheUserMeant) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".a;.b;.c\""}}));
    TMainForm& form = Open();
    auto* lbBlocked = Part<QListWidget>(form, "lbBlocked");
    QApplication::setActiveWindow(&form);
    Part<QTabWidget>(form, "PageControl")->setCurrentIndex(1);
    Select(lbBlocked, ".b");
    Idle();
    auto* remove = form.findChild<QPushButton*>(QStringLiteral("btnBlockRemove"));
    remove->setFocus();
    QTest::keyClick(remove, Qt::Key_Space);
    Idle();
    EXPECT_EQ(Items(lbBlocked), (QStringList{".a", ".c"}));
    EXPECT_EQ(QApplication::focusWidget(), lbBlocked);
    const std::string unsaved = Hive();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    Idle();
    EXPECT_EQ(Hive(), unsaved);

    Select(lbBlocked, ".c");
    Idle();
    QTest::keyClick(lbBlocked, Qt::Key_Delete);
    Idle();
    EXPECT_EQ(Items(lbBlocked), (QStringList{".a"}));
    QTest::keyClick(lbBlocked, Qt::Key_Delete); // nothing picked: nothing goes
    EXPECT_EQ(Items(lbBlocked), (QStringList{".a"}));

    auto* save = form.findChild<QPushButton*>(QStringLiteral("btnSaveChanges"));
    save->setFocus();
    QTest::keyClick(save, Qt::Key_Return);
    Idle();
    EXPECT_NE(Hive().find("\"Level1Add\"=\".a\""), std::string::npos);
    EXPECT_FALSE(Part<TAction>(form, "actSave")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), lbBlocked);
}

// Every entry loaded is where the view draws it and known to assistive technology, after the first load and after
// a load that replaces entries already shown.
TEST_F(MainFormTest, loadedEntriesAreLaidOutByTheViewAndToldToAssistiveTechnology) {
    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".c;.a;.b\""}}));
    TMainForm& form = Open();
    auto* lbAllowed = Part<QListWidget>(form, "lbAllowed");
    const auto shown = [this, lbAllowed] {
        Idle();
        QStringList texts;
        for (int row = 0; row < lbAllowed->count(); ++row) {
            const QRect rect = lbAllowed->visualItemRect(lbAllowed->item(row));
            const QModelIndex at = lbAllowed->indexAt(rect.center());
            texts << (rect.isEmpty() || at.row() != row ? QStringLiteral("not laid out") : at.data().toString());
        }
        if (const int told = QAccessible::queryAccessibleInterface(lbAllowed)->childCount(); told != texts.size()) {
            texts << QStringLiteral("%1 told").arg(told);
        }
        return texts;
    };
    EXPECT_EQ(shown(), (QStringList{".a", ".b", ".c"}));

    WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".e;.d;.g;.f\""}}));
    TModalScript script;
    Type(script, ".x").Click("Yes");
    Part<TAction>(form, "actAllowedAdd")->trigger();
    Idle();
    Part<TAction>(form, "actCancel")->trigger(); // read again
    EXPECT_EQ(shown(), (QStringList{".d", ".e", ".f", ".g"}));
}

// The entries keep their text and hint in fields of their own: Qt's item views, type-ahead, the model and
// assistive technology must still see them as they see any list entry, and what is set through the item's own
// API must show and be told to the view.
TEST_F(MainFormTest, entriesAnswerQtAsAnyListEntryDoes) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".zip;.Bat;.cmd\""}}));
    TMainForm& form = Open();
    auto* lbBlocked = Part<QListWidget>(form, "lbBlocked");
    QApplication::setActiveWindow(&form);
    Part<QTabWidget>(form, "PageControl")->setCurrentIndex(1);
    lbBlocked->setFocus();
    EXPECT_EQ(Items(lbBlocked), (QStringList{".Bat", ".cmd", ".zip"}));

    QTest::keyClicks(lbBlocked, QStringLiteral(".z")); // type-ahead matches the text through the model
    ASSERT_NE(lbBlocked->currentItem(), nullptr);
    EXPECT_EQ(lbBlocked->currentItem()->text(), QStringLiteral(".zip"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(lbBlocked);
    ASSERT_NE(list, nullptr);
    bool named = false;
    for (int i = 0; i < list->childCount(); ++i) {
        named = named || list->child(i)->text(QAccessible::Name) == QStringLiteral(".cmd");
    }
    EXPECT_TRUE(named) << "assistive technology reads the entries' text";

    QSignalSpy changed(lbBlocked->model(), &QAbstractItemModel::dataChanged);
    lbBlocked->item(2)->setText(QStringLiteral(".arj")); // a sorted list puts it in its place again
    EXPECT_EQ(Items(lbBlocked), (QStringList{".arj", ".Bat", ".cmd"}));
    EXPECT_FALSE(changed.isEmpty());
    changed.clear();
    QListWidgetItem* cmd = lbBlocked->item(2);
    cmd->setToolTip(QStringLiteral("told"));
    EXPECT_EQ(cmd->toolTip(), QStringLiteral("told"));
    EXPECT_EQ(changed.size(), 1);
    cmd->setToolTip(QStringLiteral("told")); // the same again is no change
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(lbBlocked->model()->data(lbBlocked->model()->index(2, 0), Qt::ToolTipRole).toString(),
              QStringLiteral("told"));
}

// The demo prefix that the run script makes says so in the window, and About names the prefix edited.
TEST_F(MainFormTest, theWindowSaysWhenItEditsTheDemoPrefixAndAboutNamesThePrefix) {
    if (!platform::UsesWinePrefixes()) {
        GTEST_SKIP() << "the hive is the system's registry here, not a Wine prefix";
    }
    WriteHive(VersionKeys("16.0", {}));
    const std::string prefix = (FDir.Path() / "prefix").string();
    for (const bool demo : {false, true}) {
        SCOPED_TRACE(demo ? "demo prefix" : "a prefix of the user's own");
        if (demo) {
            testsupport::WriteFileBytes(FDir.Path() / "prefix" / ".vellicor-demo", "");
        }
        TMainForm& form = Open();
        auto* notice = form.findChild<QLabel*>(QStringLiteral("lblPolicyNotice"));
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(notice->parentWidget()->isVisible(), demo);
        if (demo) {
            EXPECT_TRUE(notice->text().startsWith(QStringLiteral("This is a demo Wine prefix")))
                << notice->text().toStdString();
            EXPECT_FALSE(form.findChild<QPushButton*>(QStringLiteral("btnPolicyHelp"))->isVisible())
                << "no policy to explain";
        }
        TModalScript script;
        QString shown;
        QString full;
        script.Then([&](QWidget* about) {
            auto* label = about->findChild<QLabel*>(QStringLiteral("lblWinePrefix"));
            if (label != nullptr) {
                shown = label->text();
                full = label->toolTip();
            }
            about->close();
        });
        Part<TAction>(form, "actHelpAbout")->trigger();
        EXPECT_EQ(full, QString::fromStdString(prefix));
        EXPECT_TRUE(shown.startsWith(demo ? QStringLiteral("Wine prefix (a demo):") : QStringLiteral("Wine prefix:")))
            << shown.toStdString();
    }
}
