#include "MainFormFixture.h"

#include "GuiTestSupport.h"

#include "outlook/ExtensionList.h"
#include "outlook/ExtensionsFile.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "ui/Actions.h"
#include "ui/uAddFileType.h"
#include "ui/uDMSkins.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

namespace {

using TRows = std::vector<std::pair<std::string, std::string>>;

TRows Rows(const std::vector<TPredefinedFileType>& types) {
    TRows rows;
    for (const auto& type : types) {
        rows.emplace_back(type.Extension, type.Description);
    }
    return rows;
}

TEST(PredefinedFileTypes, linesSplitAtEveryKindOfBreakAndAtTheFirstSpace) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string content;
        TRows rows;
    };
    const Case cases[] = {
        {"CR LF", ".exe Program\r\n.js Script\r\n", {{".exe", "Program"}, {".js", "Script"}}},
        {"lone CR", ".exe Program\r.js Script", {{".exe", "Program"}, {".js", "Script"}}},
        {"lone LF", ".exe Program\n.js Script\n", {{".exe", "Program"}, {".js", "Script"}}},
        {"CR LF then a lone CR: an empty line between", ".a A\r\n\r.b B", {{".a", "A"}, {"", ""}, {".b", "B"}}},
        {"a NUL ends the content", ".a A\n.b B\0.c C\n.d D"s, {{".a", "A"}, {".b", "B"}}},
        {"no byte-order mark is recognised", "\xEF\xBB\xBF.exe Program", {{"\xEF\xBB\xBF.exe", "Program"}}},
        {"a line without a space", "exe", {{"", "exe"}}},
        {"a line starting with a space", " .exe Program", {{"", ".exe Program"}}},
        {"the rest of the line after the first space",
         ".exe  Several   spaces\tand a tab ",
         {{".exe", " Several   spaces\tand a tab "}}},
        {"a final line break makes no row", ".a A\n", {{".a", "A"}}},
        {"an empty line inside makes a row", ".a A\n\n.b B\n", {{".a", "A"}, {"", ""}, {".b", "B"}}},
        {"an empty file", "", {}},
        {"a lone line break is one empty line", "\n", {{"", ""}}},
        {"repeated lines stay", ".a A\n.a A", {{".a", "A"}, {".a", "A"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Rows(ParsePredefinedFileTypes(c.content)), c.rows);
    }
}

class AddFileTypeTest : public MainFormTest {
protected:
    void WriteExtensions(const std::string& content) {
        testsupport::WriteFileBytes(FDir.Path() / "Extensions.txt", content);
    }
    static QStringList Shown(const TAddFileTypeForm& form) {
        QStringList shown;
        for (int i = 0; i < Part<QTreeWidget>(form, "lvExtensions")->topLevelItemCount(); ++i) {
            shown << Part<QTreeWidget>(form, "lvExtensions")->topLevelItem(i)->text(0) + u'|' +
                         Part<QTreeWidget>(form, "lvExtensions")->topLevelItem(i)->text(1);
        }
        return shown;
    }
    static void Tick(TAddFileTypeForm& form, const QString& extension) {
        for (int i = 0; i < Part<QTreeWidget>(form, "lvExtensions")->topLevelItemCount(); ++i) {
            if (Part<QTreeWidget>(form, "lvExtensions")->topLevelItem(i)->text(0) == extension) {
                Part<QTreeWidget>(form, "lvExtensions")->topLevelItem(i)->setCheckState(0, Qt::Checked);
                return;
            }
        }
        ADD_FAILURE() << "no row " << extension.toStdString();
    }
    /// Runs ExecuteAddFileTypeForm on the main window with `step` acting on the dialog.
    std::optional<std::vector<std::string>> Execute(const std::function<void(TAddFileTypeForm&)>& step) {
        TModalScript script;
        script.Then([&step](QWidget* modal) {
            auto* form = qobject_cast<TAddFileTypeForm*>(modal);
            if (form == nullptr) {
                ADD_FAILURE() << "not the Add file types dialog: " << TModalScript::Describe(modal).Text.toStdString();
                modal->close();
                return;
            }
            step(*form);
        });
        return FForm->ExecuteAddFileTypeForm();
    }
};

TEST_F(AddFileTypeTest, showsTheRowsSortedAndReturnsTheTickedExtensionsInDisplayedOrder) {
    WriteHive(VersionKeys("12.0", {}));
    WriteExtensions(".zip Archive\n.exe Program\nnospace\n.com MS-DOS program\n.js Script\n");
    Open();
    std::vector<std::string> expectedOrder;
    const auto result = Execute([&](TAddFileTypeForm& form) {
        EXPECT_EQ(Shown(form),
                  (QStringList{"|nospace", ".com|MS-DOS program", ".exe|Program", ".js|Script", ".zip|Archive"}));
        EXPECT_TRUE(Part<QRadioButton>(form, "rbList")->isChecked());
        EXPECT_FALSE(Part<QLineEdit>(form, "edtInputExtensions")->isEnabled());
        EXPECT_EQ(form.focusWidget(), Part<QTreeWidget>(form, "lvExtensions"));
        Tick(form, ".zip");
        Tick(form, "");
        Tick(form, ".com");
        Part<QPushButton>(form, "btnOK")->click();
    });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, (std::vector<std::string>{"", ".com", ".zip"})); // top to bottom, the empty one too
}

TEST_F(AddFileTypeTest, typedTextSplitsAsAStoredListDoesWithNothingNormalised) {
    WriteHive(VersionKeys("12.0", {}));
    Open();
    struct Case {
        const char* typed;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {".exe;.js", {".exe", ".js"}},
        {".exe ; .js", {".exe", ".js"}},
        {".exe .js", {".exe", ".js"}},
        {"exe", {"exe"}},
        {".EXE;.Js", {".EXE", ".Js"}},
        {".a;;.b", {".a", "", ".b"}},
        {".a;", {".a", ""}},
        {".a;  ", {".a"}},
        {";", {"", ""}},
        {";.a", {"", ".a"}},
        {"\"a b\";\"c;d\";\"e\"\"f\"", {"a b", "c;d", "e\"f"}},
        {"\"unterminated; still one", {"unterminated; still one"}},
        {".exe;.exe", {".exe", ".exe"}},
        {"", {}},
        {"   ", {}},
    };
    TAddFileTypeForm form(*FForm->findChild<TSkinData*>(QStringLiteral("skSkinData")), FForm.get());
    form.show();
    Part<QRadioButton>(form, "rbManual")->click();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Part<QLineEdit>(form, "edtInputExtensions")->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(form.ChosenExtensions(), c.items);
        EXPECT_EQ(form.ChosenExtensions(), SplitExtensionList(c.typed)); // the very same rules
    }
}

TEST_F(AddFileTypeTest, cancelEscapeAndTheFrameAddNothingWhateverWasChosen) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".url\""}}));
    WriteExtensions(".exe Program\n.js Script\n");
    Open();
    const std::function<void(TAddFileTypeForm&)> ways[] = {
        [](TAddFileTypeForm& form) { Part<QPushButton>(form, "btnCancel")->click(); },
        [](TAddFileTypeForm& form) { QTest::keyClick(Part<QTreeWidget>(form, "lvExtensions"), Qt::Key_Escape); },
        [](TAddFileTypeForm& form) { form.close(); },
        [](TAddFileTypeForm& form) { // Enter on the focused Cancel button presses Cancel, not OK
            Part<QPushButton>(form, "btnCancel")->setFocus();
            QTest::keyClick(Part<QPushButton>(form, "btnCancel"), Qt::Key_Return);
        },
    };
    for (const auto& way : ways) {
        const auto result = Execute([&way](TAddFileTypeForm& form) {
            Tick(form, ".exe");
            Part<QRadioButton>(form, "rbManual")->click();
            Part<QLineEdit>(form, "edtInputExtensions")->setText(QStringLiteral(".typed"));
            way(form);
        });
        EXPECT_FALSE(result.has_value());
    }
    // Through the Add action: the side stays as it was and is not marked modified.
    TModalScript script;
    script.Then([](QWidget* modal) { Part<QPushButton>(*modal, "btnCancel")->click(); });
    Part<TAction>(*FForm, "actBlockedAdd")->trigger();
    EXPECT_EQ(Items(Part<QListWidget>(*FForm, "lbBlocked")), QStringList{".url"});
    EXPECT_FALSE(FForm->IsModified());
}

TEST_F(AddFileTypeTest, okWithNothingChosenChangesNothingAndOnlyTheSelectedModeCounts) {
    WriteHive(VersionKeys("12.0", {{"Level1Add", "\".url\""}}));
    WriteExtensions(".exe Program\n.js Script\n");
    Open();
    // Nothing ticked, nothing typed: an empty result, the side neither changed nor modified.
    {
        TModalScript script;
        script.Then([](QWidget* modal) { Part<QPushButton>(*modal, "btnOK")->click(); });
        Part<TAction>(*FForm, "actBlockedAdd")->trigger();
        EXPECT_EQ(Items(Part<QListWidget>(*FForm, "lbBlocked")), QStringList{".url"});
        EXPECT_FALSE(FForm->IsModified());
    }
    // Typed text survives a switch back to list mode but does not count there; ticks survive too.
    const auto listResult = Execute([](TAddFileTypeForm& form) {
        Tick(form, ".js");
        Part<QRadioButton>(form, "rbManual")->click();
        EXPECT_EQ(form.focusWidget(), Part<QLineEdit>(form, "edtInputExtensions"));
        EXPECT_FALSE(Part<QTreeWidget>(form, "lvExtensions")->isEnabled());
        Part<QLineEdit>(form, "edtInputExtensions")->setText(QStringLiteral(".typed"));
        Part<QRadioButton>(form, "rbList")->click();
        EXPECT_EQ(Part<QLineEdit>(form, "edtInputExtensions")->text(), QStringLiteral(".typed"));
        EXPECT_FALSE(Part<QLineEdit>(form, "edtInputExtensions")->isEnabled());
        Part<QPushButton>(form, "btnOK")->click();
    });
    EXPECT_EQ(listResult, (std::vector<std::string>{".js"}));
    const auto manualResult = Execute([](TAddFileTypeForm& form) {
        Tick(form, ".js");
        Part<QRadioButton>(form, "rbManual")->click();
        Part<QLineEdit>(form, "edtInputExtensions")->setText(QStringLiteral(".typed"));
        Part<QPushButton>(form, "btnCancel")->setFocus(); // passing over Cancel leaves OK the default
        Part<QLineEdit>(form, "edtInputExtensions")->setFocus();
        QTest::keyClick(Part<QLineEdit>(form, "edtInputExtensions"), Qt::Key_Return); // Enter is OK
    });
    EXPECT_EQ(manualResult, (std::vector<std::string>{".typed"}));
    // Minimised and restored by the desktop, the dialog keeps the mode the user chose.
    const auto restoredResult = Execute([](TAddFileTypeForm& form) {
        Tick(form, ".js");
        Part<QRadioButton>(form, "rbManual")->click();
        Part<QLineEdit>(form, "edtInputExtensions")->setText(QStringLiteral(".typed"));
        form.showMinimized();
        form.showNormal();
        EXPECT_TRUE(Part<QRadioButton>(form, "rbManual")->isChecked());
        EXPECT_TRUE(Part<QLineEdit>(form, "edtInputExtensions")->isEnabled());
        Part<QPushButton>(form, "btnOK")->click();
    });
    EXPECT_EQ(restoredResult, (std::vector<std::string>{".typed"}));
}

TEST_F(AddFileTypeTest, eachOpeningReadsTheFileAgainAndStartsClean) {
    WriteHive(VersionKeys("12.0", {}));
    WriteExtensions(".exe Program\n");
    Open();
    Execute([](TAddFileTypeForm& form) {
        Tick(form, ".exe");
        Part<QRadioButton>(form, "rbManual")->click();
        Part<QLineEdit>(form, "edtInputExtensions")->setText(QStringLiteral(".x"));
        Part<QPushButton>(form, "btnCancel")->click();
    });
    WriteExtensions(".exe Program\n.js Script\n");
    Execute([](TAddFileTypeForm& form) {
        EXPECT_EQ(Shown(form), (QStringList{".exe|Program", ".js|Script"}));
        EXPECT_EQ(Part<QTreeWidget>(form, "lvExtensions")->topLevelItem(0)->checkState(0), Qt::Unchecked);
        EXPECT_TRUE(Part<QRadioButton>(form, "rbList")->isChecked());
        EXPECT_TRUE(Part<QLineEdit>(form, "edtInputExtensions")->text().isEmpty());
        EXPECT_FALSE(Part<QLineEdit>(form, "edtInputExtensions")->isEnabled());
        Part<QPushButton>(form, "btnCancel")->click();
    });
}

TEST_F(AddFileTypeTest, aMissingFileIsReportedAtEachOpeningAndTheDialogStillWorks) {
    WriteHive(VersionKeys("12.0", {}));
    Open();
    std::filesystem::remove(FDir.Path() / "Extensions.txt");
    const std::string path = (FDir.Path() / "Extensions.txt").string();
    for (int opening = 0; opening < 2; ++opening) {
        TModalScript script;
        script.Click("OK").Then([](QWidget* modal) {
            auto* form = qobject_cast<TAddFileTypeForm*>(modal);
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(Part<QTreeWidget>(*form, "lvExtensions")->topLevelItemCount(), 0);
            EXPECT_TRUE(Part<QRadioButton>(*form, "rbList")->isChecked());
            Part<QRadioButton>(*form, "rbManual")->click();
            Part<QLineEdit>(*form, "edtInputExtensions")->setText(QStringLiteral(".exe"));
            Part<QPushButton>(*form, "btnOK")->click();
        });
        const auto result = FForm->ExecuteAddFileTypeForm();
        ASSERT_EQ(script.Seen().size(), 2u);
        EXPECT_EQ(script.Seen()[0].ObjectName, QStringLiteral("ApplicationErrorBox"));
        EXPECT_TRUE(script.Seen()[0].Text.startsWith(QString::fromStdString("Cannot open file \"" + path + "\". ")))
            << script.Seen()[0].Text.toStdString();
        EXPECT_EQ(result, (std::vector<std::string>{".exe"}));
    }
}

TEST_F(AddFileTypeTest, theScrollBarBesideTheListShowsOnlyWhileRowsOverflow) {
    WriteHive(VersionKeys("12.0", {}));
    std::string many;
    for (int i = 0; i < 40; ++i) {
        many += ".e" + std::to_string(100 + i) + " Row\n";
    }
    // Made without a main window, the dialog is drawn in the theme it is handed.
    TCompressedStoredSkin slot;
    LoadDefaultStoredSkin(slot);
    TSkinData theme;
    theme.SetCompressedStoredSkin(&slot);
    for (const auto& [content, overflows] : {std::pair{std::string(".exe Program\n"), false}, std::pair{many, true}}) {
        WriteExtensions(content);
        TAddFileTypeForm form(theme);
        form.show();
        testsupport::RunUntilIdle();
        ASSERT_NE(TSkinForm::Of(&form), nullptr);
        EXPECT_EQ(TSkinForm::Of(&form)->SkinData(), &theme);
        EXPECT_EQ(Part<QScrollBar>(form, "sbExtList")->isVisible(), overflows);
        Part<QRadioButton>(form, "rbManual")->click();
        EXPECT_FALSE(Part<QScrollBar>(form, "sbExtList")->isEnabled());
    }
}

} // namespace

namespace {

// The tooltip that hovering a cell of `view` at `point` (viewport coordinates) brings up.
QString ToolTipAt(QAbstractItemView* view, QPoint point) {
    QToolTip::hideText();
    QHelpEvent event(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
    if (!QApplication::sendEvent(view->viewport(), &event)) {
        return view->toolTip(); // left to the view: its own tooltip
    }
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

// The extension column keeps its designed width; an extension cut short there shows whole in its tooltip,
// and the rest keep the list's own tooltip.
TEST_F(AddFileTypeTest, anExtensionCutShortShowsWholeInItsTooltip) {
    const QString longName = QStringLiteral(".settingcontent-ms");
    WriteHive(VersionKeys("12.0", {}));
    WriteExtensions(".settingcontent-ms Settings shortcut\n.exe Program\n");
    Open();
    Execute([&](TAddFileTypeForm& form) {
        QTreeWidget* list = Part<QTreeWidget>(form, "lvExtensions");
        EXPECT_EQ(list->header()->sectionSize(0), 70);
        const auto cell = [&](int row) {
            return list->visualItemRect(list->topLevelItem(row)).topLeft() + QPoint(30, 5);
        };
        ASSERT_EQ(list->topLevelItem(1)->text(0), longName);
        EXPECT_EQ(ToolTipAt(list, cell(1)), longName);
        EXPECT_EQ(ToolTipAt(list, cell(0)), list->toolTip());
        Part<QPushButton>(form, "btnCancel")->click();
    });
}
