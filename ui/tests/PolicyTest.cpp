// The main window on hives with and without attachment policies: the notice above the tabs, the Check a file
// type dialog and the hints on list entries.
#include "MainFormFixture.h"

#include "ui/Actions.h"
#include "ui/uAddFileType.h"
#include "ui/uCheckFileType.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolTip>

namespace {

/// Microsoft's security baseline for Microsoft 365 Apps (and the DISA STIG, CIS): security mode under policy,
/// customizing prevented, demoting forbidden.
std::string BaselinePolicy(const std::string& version) {
    const std::string outlook = "[Software\\\\Policies\\\\Microsoft\\\\Office\\\\" + version + "\\\\Outlook]";
    return outlook + " 1733700000\n#time=1db4a6b1c2d3e40\n\"DisallowAttachmentCustomization\"=dword:00000001\n\n" +
           outlook.substr(0, outlook.size() - 1) + "\\\\Security] 1733700000\n#time=1db4a6b1c2d3e40\n" +
           "\"AdminSecurityMode\"=dword:00000003\n\"AllowUsersToLowerAttachments\"=dword:00000000\n\n";
}

/// Policy that adds types to Level 1 and leaves the user's lists alone otherwise.
std::string AddingPolicy() {
    return "[Software\\\\Policies\\\\Microsoft\\\\Cloud\\\\Office\\\\16.0\\\\Outlook\\\\Security] 1733700000\n"
           "#time=1db4a6b1c2d3e40\n\"AdminSecurityMode\"=dword:00000003\n"
           "\"AllowUsersToLowerAttachments\"=dword:00000001\n\"FileExtensionsAddLevel1\"=\".txt;.csv\"\n\n";
}

class PolicyTest : public MainFormTest {
protected:
    static TModalScript& Type(TModalScript& script, const QString& text) {
        return script.Then([text](QWidget* modal) {
            auto* form = qobject_cast<TAddFileTypeForm*>(modal);
            ASSERT_NE(form, nullptr);
            Part<QRadioButton>(*form, "rbManual")->click();
            Part<QLineEdit>(*form, "edtInputExtensions")->setText(text);
            Part<QPushButton>(*form, "btnOK")->click();
        });
    }
    static QString ToolTip(QListWidget* list, const QString& text) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? QStringLiteral("<no entry>") : found.first()->toolTip();
    }
};

TEST_F(PolicyTest, theNoticeShowsWhilePolicyOverridesTheListsAndOnlyThen) {
    struct TCase {
        const char* Name;
        std::string Policies;
        std::vector<QString> Fragments; // empty: no notice
    };
    const TCase cases[] = {
        {"no policy", "", {}},
        {"Microsoft's baseline",
         BaselinePolicy("16.0"),
         {QStringLiteral("Your Allow access list has no effect"), QStringLiteral("DisallowAttachmentCustomization"),
          QStringLiteral("Only an administrator can change this.")}},
        {"policy that adds types", AddingPolicy(), {QStringLiteral("Cloud Policy blocks .txt, .csv")}},
        {"the baseline of another version", BaselinePolicy("12.0"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteHive(VersionKeys("16.0", {{"Level1Remove", "\".js\""}}) + c.Policies);
        TMainForm& form = Open();
        const QRect tabs = Part<QTabWidget>(form, "PageControl")->geometry();
        if (c.Fragments.empty()) {
            EXPECT_FALSE(Part<QWidget>(form, "pnlPolicyNotice")->isVisible());
            EXPECT_EQ(tabs, QRect(0, 32, 429, 245)) << "the window as it always was";
            EXPECT_EQ(Part<QListWidget>(form, "lbAllowed")->item(0)->toolTip(), QString());
            EXPECT_TRUE(Part<QListWidget>(form, "lbAllowed")->item(0)->icon().isNull());
        } else {
            ASSERT_TRUE(Part<QWidget>(form, "pnlPolicyNotice")->isVisible());
            EXPECT_FALSE(Part<QLabel>(form, "imgPolicyNotice")->pixmap().isNull()) << "the warning sign";
            const QString text = Part<QLabel>(form, "lblPolicyNotice")->text();
            for (const auto& fragment : c.Fragments) {
                EXPECT_TRUE(text.contains(fragment)) << text.toStdString();
            }
            const QRect notice = Part<QWidget>(form, "pnlPolicyNotice")->geometry();
            EXPECT_EQ(notice.top(), 32);
            EXPECT_EQ(tabs.top(), notice.bottom() + 1) << "the tabs start under the notice";
            EXPECT_EQ(tabs.bottom(), 32 + 245 - 1) << "and end where they always did";
            EXPECT_GE(Part<QListWidget>(form, "lbAllowed")->height(), 60);
        }
        FForm.reset();
    }
}

TEST_F(PolicyTest, underPolicyTheListsStayEditableAndSaveWritesThem) {
    WriteHive(VersionKeys("16.0", {{"Level1Remove", "\".js\""}}) + BaselinePolicy("16.0"));
    TMainForm& form = Open();
    auto* pnlPolicyNotice = Part<QWidget>(form, "pnlPolicyNotice");
    auto* actSave = Part<TAction>(form, "actSave");
    ASSERT_TRUE(pnlPolicyNotice->isVisible());
    TModalScript script;
    Type(script, QStringLiteral(".py"));
    Part<TAction>(form, "actAllowedAdd")->trigger();
    Idle();
    EXPECT_TRUE(actSave->isEnabled());
    actSave->trigger();
    Idle();
    EXPECT_NE(Hive().find("\"Level1Remove\"=\".js;.py\""), std::string::npos);
    EXPECT_NE(Hive().find("\"AdminSecurityMode\"=dword:00000003"), std::string::npos) << "policy left alone";
    EXPECT_TRUE(pnlPolicyNotice->isVisible()) << "saving changes nothing about the policy";
}

TEST_F(PolicyTest, theNoticeFollowsTheVersionOnScreen) {
    WriteHive(VersionKeys("12.0", {}) + VersionKeys("16.0", {}) + BaselinePolicy("16.0"));
    TMainForm& form = Open();
    auto* pnlPolicyNotice = Part<QWidget>(form, "pnlPolicyNotice");
    auto* cbOutlookVersion = Part<QComboBox>(form, "cbOutlookVersion");
    EXPECT_TRUE(pnlPolicyNotice->isVisible());
    cbOutlookVersion->setCurrentIndex(0);
    Idle();
    EXPECT_FALSE(pnlPolicyNotice->isVisible());
    EXPECT_EQ(Part<QTabWidget>(form, "PageControl")->geometry(), QRect(0, 32, 429, 245));
    cbOutlookVersion->setCurrentIndex(1);
    Idle();
    EXPECT_TRUE(pnlPolicyNotice->isVisible());
}

TEST_F(PolicyTest, theCheckDialogGivesTheVerdictOfTheSavedSettings) {
    struct TCase {
        const char* Name;
        std::string Policies;
        bool Edit;
        std::vector<std::pair<QString, QString>> Verdicts; // typed text, verdict line
        QString Fragment;                                  // in the reasons of the last one typed
    };
    const TCase cases[] = {
        {"no policy",
         "",
         false,
         {{QStringLiteral(".exe"), QStringLiteral("Outlook 16.0, .exe: blocked")},
          {QStringLiteral("report.pdf.exe"), QStringLiteral("Outlook 16.0, .exe: blocked")},
          {QStringLiteral(".txt"), QStringLiteral("Outlook 16.0, .txt: not blocked by Outlook")},
          {QStringLiteral("Script.JS"), QStringLiteral("Outlook 16.0, .js: open after saving")}},
         QStringLiteral("honours")},
        {"Microsoft's baseline, with unsaved edits",
         BaselinePolicy("16.0"),
         true,
         {{QStringLiteral(".exe"), QStringLiteral("Outlook 16.0, .exe: blocked")},
          {QStringLiteral(".js"), QStringLiteral("Outlook 16.0, .js: blocked")}},
         QStringLiteral("ignores that list")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteHive(VersionKeys("16.0", {{"Level1Remove", "\".js\""}}) + c.Policies);
        TMainForm& form = Open();
        if (c.Edit) {
            Part<QListWidget>(form, "lbBlocked")->setCurrentRow(-1);
            TModalScript add;
            Type(add, QStringLiteral(".txt"));
            Part<TAction>(form, "actBlockedAdd")->trigger();
            Idle();
        }
        ASSERT_TRUE(Part<TAction>(form, "actCheckFileType")->isEnabled());
        EXPECT_EQ(Part<TAction>(form, "actCheckFileType")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
        TModalScript script;
        script.Then([&](QWidget* modal) {
            auto* check = qobject_cast<TCheckFileTypeForm*>(modal);
            ASSERT_NE(check, nullptr);
            EXPECT_EQ(Part<QLabel>(*check, "lblUnsaved")->text().contains(QStringLiteral("not saved")), c.Edit);
            for (const auto& [typed, verdict] : c.Verdicts) {
                Part<QLineEdit>(*check, "edtFileName")->setText(typed);
                EXPECT_EQ(Part<QLabel>(*check, "lblVerdict")->text(), verdict) << typed.toStdString();
            }
            QString reasons;
            for (int i = 0; i < Part<QListWidget>(*check, "lbReasons")->count(); ++i) {
                reasons += Part<QListWidget>(*check, "lbReasons")->item(i)->text() + QLatin1Char('\n');
            }
            EXPECT_TRUE(reasons.contains(c.Fragment)) << reasons.toStdString();
            Part<QPushButton>(*check, "btnClose")->click();
        });
        const std::string before = Hive();
        Part<TAction>(form, "actCheckFileType")->trigger();
        EXPECT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(Hive(), before) << "checking writes nothing";
        EXPECT_EQ(form.IsModified(), c.Edit);
        FForm.reset();
    }
}

TEST_F(PolicyTest, theCheckCommandIsInTheFileMenuAndNeedsAVersion) {
    WriteHive("");
    {
        TModalScript script; // the "not detected" box
        Open();
    }
    EXPECT_FALSE(Part<TAction>(*FForm, "actCheckFileType")->isEnabled());
    const auto file = Part<QMenuBar>(*FForm, "MainMenuBar")->actions().at(0)->menu()->actions();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(file.at(0), Part<TAction>(*FForm, "actCheckFileType"));
}

TEST_F(PolicyTest, hintsMarkEntriesWithoutChangingWhatIsStored) {
    WriteHive(VersionKeys("16.0", {{"Level1Remove", "\"py;;.JS;.js;.zip;.txt;.exe\""}, {"Level1Add", "\".zip\""}}) +
              AddingPolicy());
    TMainForm& form = Open();
    auto* lbAllowed = Part<QListWidget>(form, "lbAllowed");
    const std::string before = Hive();
    const std::pair<QString, QString> expected[] = {
        {QStringLiteral("py"), QStringLiteral("No leading dot")},
        {QString(), QStringLiteral("empty entry")},
        {QStringLiteral(".JS"), QStringLiteral("Listed 2 times")},
        {QStringLiteral(".zip"), QStringLiteral("Also on the Block access list")},
        {QStringLiteral(".txt"), QStringLiteral("Cloud Policy (FileExtensionsAddLevel1) blocks this type")},
    };
    for (const auto& [entry, hint] : expected) {
        EXPECT_TRUE(ToolTip(lbAllowed, entry).contains(hint))
            << entry.toStdString() << ": " << ToolTip(lbAllowed, entry).toStdString();
        EXPECT_FALSE(lbAllowed->findItems(entry, Qt::MatchExactly).first()->icon().isNull());
    }
    EXPECT_EQ(ToolTip(lbAllowed, QStringLiteral(".exe")), QString()) << "Extensions.txt blocks .exe";
    EXPECT_TRUE(ToolTip(Part<QListWidget>(form, "lbBlocked"), QStringLiteral(".zip"))
                    .contains(QStringLiteral("Also on the Allow")));

    // A new entry gets its hint at once; the entries and what Save writes stay as they were typed.
    TModalScript script;
    Type(script, QStringLiteral(".doc"));
    Part<TAction>(form, "actAllowedAdd")->trigger();
    Idle();
    EXPECT_TRUE(ToolTip(lbAllowed, QStringLiteral(".doc")).contains(QStringLiteral("does not block this type")));
    QStringList items = Items(lbAllowed);
    items.sort(Qt::CaseSensitive);
    EXPECT_EQ(items, (QStringList{"", ".JS", ".doc", ".exe", ".js", ".txt", ".zip", "py"}));
    EXPECT_EQ(Hive(), before);
    Part<TAction>(form, "actSave")->trigger();
    Idle();
    // Sorted without regard to letter case, so .JS and .js may come in either order.
    const std::size_t written = Hive().find("\"Level1Remove\"=\";.doc;.exe;.");
    ASSERT_NE(written, std::string::npos) << Hive();
    const std::string line = Hive().substr(written, Hive().find('\n', written) - written);
    EXPECT_TRUE(line.ends_with(";.txt;.zip;py\"")) << line;
    EXPECT_TRUE(line.find(".JS;.js") != std::string::npos || line.find(".js;.JS") != std::string::npos) << line;

    // A hint that no longer holds goes: with one of the two .js entries removed, the other is listed once.
    lbAllowed->setCurrentItem(
        lbAllowed->findItems(QStringLiteral(".js"), Qt::MatchExactly | Qt::MatchCaseSensitive).first());
    Idle();
    Part<TAction>(form, "actAllowedRemove")->trigger();
    Idle();
    EXPECT_EQ(ToolTip(lbAllowed, QStringLiteral(".JS")), QString());
}

TEST_F(PolicyTest, withoutExtensionsTxtTheCheckSaysWhyInsteadOfAVerdict) {
    WriteHive(VersionKeys("16.0", {}));
    TMainForm& form = Open();
    std::filesystem::remove(FDir.Path() / "Extensions.txt");
    TModalScript script;
    script.Click("OK");
    Part<TAction>(form, "actCheckFileType")->trigger();
    // Without Outlook's default list every type would look unblocked: no verdict rather than a wrong one.
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].ObjectName, QStringLiteral("ApplicationErrorBox"));
    EXPECT_TRUE(script.Seen()[0].Text.startsWith(QStringLiteral("Cannot open file")))
        << script.Seen()[0].Text.toStdString();
}

TEST_F(PolicyTest, anEntryCutShortShowsWholeWithItsHint) {
    const QString longEntry = QString(90, QLatin1Char('x'));
    WriteHive(VersionKeys("16.0", {{"Level1Remove", "\"" + longEntry.toStdString() + ";.js;.Exe;.exe\""}}));
    TMainForm& form = Open();
    auto* lbAllowed = Part<QListWidget>(form, "lbAllowed");
    const auto toolTipAt = [lbAllowed](int row) {
        QToolTip::hideText();
        const QPoint point = lbAllowed->visualItemRect(lbAllowed->item(row)).center();
        QHelpEvent event(QEvent::ToolTip, point, lbAllowed->viewport()->mapToGlobal(point));
        QApplication::sendEvent(lbAllowed->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    ASSERT_EQ(Items(lbAllowed).last(), longEntry);
    const QString tip = toolTipAt(3);
    EXPECT_TRUE(tip.contains(longEntry)) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("No leading dot"))) << tip.toStdString();
    // An entry that fits shows its hint alone.
    const QListWidgetItem* duplicate = lbAllowed->item(0);
    ASSERT_FALSE(duplicate->toolTip().isEmpty());
    EXPECT_EQ(toolTipAt(0), duplicate->toolTip());
    EXPECT_EQ(lbAllowed->findItems(QStringLiteral(".js"), Qt::MatchExactly).first()->toolTip(), QString());
    QToolTip::hideText();
}

} // namespace
