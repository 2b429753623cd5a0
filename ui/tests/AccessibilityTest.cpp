// What assistive technology sees of every window, read through QAccessible as Qt hands it to AT-SPI
// and UI Automation; and the program driven with the keyboard alone.
#include "HelpWindows.h"
#include "MainFormFixture.h"

#include "GuiTestSupport.h"

#include "help/binding/HTMLHelpViewer.h"
#include "settings/uSettings.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "ui/Actions.h"
#include "ui/Product.h"
#include "ui/linklabel/LinkLabel.h"
#include "ui/uAddFileType.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <vector>

namespace {

/// One element as a screen reader should find it. An empty Name asks only for some name.
struct TElement {
    const char* ObjectName;
    QAccessible::Role Role;
    QString Name;
    QString Action; ///< an action it must offer, or empty
};

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

QString RoleName(QAccessible::Role role) {
    return QString::number(int(role), 16);
}

/// Checks `elements` of `window` and that no focusable control of it is missing from the table, besides
/// those in `checkedApart`.
void ExpectElements(QWidget* window, const std::vector<TElement>& elements, QSet<QWidget*> checkedApart = {}) {
    QSet<QWidget*>& listed = checkedApart;
    for (const TElement& element : elements) {
        SCOPED_TRACE(element.ObjectName);
        QWidget* widget = window->objectName() == QLatin1String(element.ObjectName)
                              ? window
                              : window->findChild<QWidget*>(QLatin1String(element.ObjectName));
        ASSERT_NE(widget, nullptr);
        listed << widget;
        QAccessibleInterface* iface = Accessible(widget);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(RoleName(iface->role()), RoleName(element.Role));
        const QString name = iface->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty());
        if (!element.Name.isEmpty()) {
            EXPECT_EQ(name, element.Name);
        }
        if (!element.Action.isEmpty() && widget->isEnabled()) { // a disabled control offers no action
            QAccessibleActionInterface* actions = iface->actionInterface();
            ASSERT_NE(actions, nullptr);
            EXPECT_TRUE(actions->actionNames().contains(element.Action))
                << actions->actionNames().join(u',').toStdString();
        }
    }
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isVisibleTo(window) && (widget->focusPolicy() & Qt::TabFocus) && !listed.contains(widget)) {
            ADD_FAILURE() << "focusable but not in the table: " << widget->metaObject()->className() << " "
                          << widget->objectName().toStdString() << " named \""
                          << Accessible(widget)->text(QAccessible::Name).toStdString() << "\"";
        }
    }
}

const QString kPress = QAccessibleActionInterface::pressAction();

/// The caption of a themed window and its buttons.
std::vector<TElement> Caption(const QString& title, bool minimize) {
    std::vector<TElement> caption{
        {"SkinCaption", QAccessible::TitleBar, title, QAccessibleActionInterface::showMenuAction()},
        {"SkinCloseButton", QAccessible::Button, QStringLiteral("Close"), kPress}};
    if (minimize) {
        caption.push_back({"SkinMinimizeButton", QAccessible::Button, QStringLiteral("Minimize"), kPress});
    }
    return caption;
}

std::vector<TElement> operator+(std::vector<TElement> a, const std::vector<TElement>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class AccessibilityTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        TMainForm::WebPageOpener = [this](QWidget*, const std::string& address) { FOpened.push_back(address); };
        RegisterHtmlHelpViewer();
        WriteHive(VersionKeys("12.0", {{"Level1Remove", "\".zip;.bat\""}}));
    }
    void TearDown() override {
        FinalizeHtmlHelpViewer();
        ReleaseHtmlHelpLibrary();
        TMainForm::WebPageOpener = {};
        MainFormTest::TearDown();
    }

    static QWidget* HelpWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QStringLiteral("HelpWindow") && widget->isVisible()) {
                return widget;
            }
        }
        return nullptr;
    }

    /// Sends `key` to whatever has the keyboard, an open menu or else the focused widget, and lets the
    /// idle handlers run as they do between two key presses.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::activePopupWidget();
        if (target == nullptr) {
            target = QApplication::focusWidget();
        }
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key(key), modifiers);
        Idle();
    }

    std::vector<std::string> FOpened;
};

TEST_F(AccessibilityTest, everyElementOfEveryWindowHasANameARoleAndItsActions) {
    TMainForm& form = Open();
    auto* PageControl = Part<QTabWidget>(form, "PageControl");
    auto* cbOutlookVersion = Part<QComboBox>(form, "cbOutlookVersion");
    auto* MainMenuBar = Part<QMenuBar>(form, "MainMenuBar");
    const QString title = form.windowTitle();
    SCOPED_TRACE("main window");
    ExpectElements(&form,
                   std::vector<TElement>{
                       {"MainForm", QAccessible::Window, title, {}},
                       {"cbOutlookVersion", QAccessible::ComboBox, {}, {}},
                       {"lbAllowed", QAccessible::List, "List of allowed to open as attachments file types:", {}},
                       {"lbBlocked", QAccessible::List, "List of blocked to open as attachments file types:", {}},
                       {"btnAllowAdd", QAccessible::Button, "Add...", kPress},
                       {"btnAllowRemove", QAccessible::Button, "Remove", kPress},
                       {"btnBlockAdd", QAccessible::Button, "Add...", kPress},
                       {"btnBlockRemove", QAccessible::Button, "Remove", kPress},
                       {"btnSaveChanges", QAccessible::Button, "Save", kPress},
                       {"btnCancelChanges", QAccessible::Button, "Cancel", kPress},
                       {"btnExit", QAccessible::Button, "Close", kPress},
                       {"btnPolicyHelp", QAccessible::Button, "Why?", kPress},
                   } + Caption(title, true),
                   // The tabs: checked below.
                   {PageControl, PageControl->tabBar()});
    // The tabs carry their own names.
    QAccessibleInterface* tabs = Accessible(PageControl->tabBar());
    EXPECT_EQ(tabs->role(), QAccessible::PageTabList);
    QStringList tabNames;
    for (int i = 0; i < tabs->childCount(); ++i) {
        if (tabs->child(i)->role() == QAccessible::PageTab) {
            tabNames << tabs->child(i)->text(QAccessible::Name);
        }
    }
    EXPECT_EQ(tabNames, (QStringList{"Allow access", "Block access"}));
    // Each label is related to the control it names. The selector is named by its label where the
    // platform names a combo box (Linux names it by its value and reads the label through the relation).
    EXPECT_EQ(cbOutlookVersion->accessibleName(), QStringLiteral("Installed Outlook version:"));
    const auto labelOf = [](QWidget* control) {
        const auto labels = Accessible(control)->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    };
    EXPECT_EQ(labelOf(cbOutlookVersion), QStringLiteral("Installed Outlook version:"));
    for (const char* label : {"lblAllowed", "lblBlocked", "lblOutlookVersion"}) {
        SCOPED_TRACE(label);
        const auto labelled =
            Accessible(form.findChild<QWidget*>(QLatin1String(label)))->relations(QAccessible::Labelled);
        ASSERT_EQ(labelled.size(), 1);
        EXPECT_FALSE(labelled.first().first->text(QAccessible::Name).isEmpty());
    }
    // Every menu entry is named; the theme entries say which one is checked.
    for (QAction* menu : MainMenuBar->actions()) {
        for (QAction* entry : menu->menu()->actions()) {
            if (entry->isSeparator()) {
                continue;
            }
            EXPECT_FALSE(entry->text().remove(u'&').isEmpty());
        }
    }
    QAccessibleInterface* bar = Accessible(MainMenuBar);
    EXPECT_EQ(bar->role(), QAccessible::MenuBar);
    QStringList menus;
    for (int i = 0; i < bar->childCount(); ++i) {
        menus << bar->child(i)->text(QAccessible::Name);
    }
    EXPECT_EQ(menus, (QStringList{"File", "Visual Theme", "Help"}));

    {
        SCOPED_TRACE("Add file types, both modes");
        TModalScript script;
        script.Then([&](QWidget* dialog) {
            auto* add = qobject_cast<TAddFileTypeForm*>(dialog);
            ASSERT_NE(add, nullptr);
            const std::vector<TElement> elements =
                std::vector<TElement>{
                    {"AddFileTypeForm", QAccessible::Dialog, "Add file types", {}},
                    {"rbList", QAccessible::RadioButton, "Select from the list of predefined file types:", {}},
                    {"lvExtensions", QAccessible::Tree, "Select from the list of predefined file types:", {}},
                    {"rbManual",
                     QAccessible::RadioButton,
                     "Input file extension(s) into the edit box (example: .exe;.js):",
                     {}},
                    {"edtInputExtensions",
                     QAccessible::EditableText,
                     "Input file extension(s) into the edit box (example: .exe;.js):",
                     {}},
                    {"btnOK", QAccessible::Button, "OK", kPress},
                    {"btnCancel", QAccessible::Button, "Cancel", kPress},
                    {"btnHelp", QAccessible::Button, "Help", kPress},
                } +
                Caption(QStringLiteral("Add file types"), false);
            ExpectElements(add, elements);
            Part<QRadioButton>(*add, "rbManual")->click();
            Idle();
            ExpectElements(add, elements);
            EXPECT_TRUE(Accessible(Part<QRadioButton>(*add, "rbManual"))->state().checked);
            EXPECT_FALSE(Accessible(Part<QRadioButton>(*add, "rbList"))->state().checked);
            add->reject();
        });
        Part<TAction>(form, "actAllowedAdd")->trigger();
    }
    {
        SCOPED_TRACE("About");
        TModalScript script;
        script.Then([&](QWidget* about) {
            ExpectElements(about, std::vector<TElement>{
                                      {"AboutForm", QAccessible::Dialog, "About Vellicor", {}},
                                      {"LinkLabel2", QAccessible::StaticText, kProductWebHost, {}},
                                      {"btnOK", QAccessible::Button, "OK", kPress},
                                  } + Caption(QStringLiteral("About Vellicor"), false));
            QAccessibleInterface* label = Accessible(about->findChild<linklabel::TLinkLabel*>());
            ASSERT_EQ(label->childCount(), 1);
            QAccessibleInterface* link = label->child(0);
            EXPECT_EQ(link->role(), QAccessible::Link);
            EXPECT_EQ(link->text(QAccessible::Name), QString::fromLatin1(kProductWebHost));
            EXPECT_TRUE(link->state().focusable);
            EXPECT_TRUE(link->state().linked);
            EXPECT_EQ(label->indexOfChild(link), 0);
            EXPECT_EQ(link->parent(), label);
            ASSERT_NE(link->actionInterface(), nullptr);
            link->actionInterface()->doAction(kPress);
            Idle();
            EXPECT_EQ(FOpened, std::vector<std::string>{kProductWebPage});
            about->close();
        });
        Part<TAction>(form, "actHelpAbout")->trigger();
    }
    {
        SCOPED_TRACE("a question");
        TModalScript script;
        script.Then([&](QWidget* box) {
            ExpectElements(box, std::vector<TElement>{
                                    {"SkinMessageForm", QAccessible::AlertMessage, "Confirm", {}},
                                    {"Yes", QAccessible::Button, "Yes", kPress},
                                    {"No", QAccessible::Button, "No", kPress},
                                    {"Cancel", QAccessible::Button, "Cancel", kPress},
                                });
            EXPECT_EQ(Accessible(box)->text(QAccessible::Description), QStringLiteral("Save changes before exit?"));
            EXPECT_EQ(Accessible(box->findChild<QWidget*>(QStringLiteral("Image")))->text(QAccessible::Name),
                      QStringLiteral("Confirm"));
            box->close();
        });
        form.ShowMessageDialog(QStringLiteral("Save changes before exit?"), mtConfirmation,
                               ButtonSet({mbYes, mbNo, mbCancel}), 0);
    }
    // Windows shows the help in HTML Help's own window, which the system makes accessible.
    if (testhelp::HelpWindowIsQt()) {
        SCOPED_TRACE("help");
        Part<TAction>(form, "actHelpContents")->trigger();
        Idle();
        QWidget* help = HelpWindow();
        ASSERT_NE(help, nullptr);
        ExpectElements(help,
                       std::vector<TElement>{
                           {"HelpWindow", QAccessible::Window, {}, {}},
                           {"HelpBrowser", QAccessible::StaticText, "Help page", {}},
                           {"tvContents", QAccessible::Tree, "Contents", {}},
                           {"edtIndexFilter", QAccessible::EditableText, "Keyword to find", {}},
                           {"lbIndex", QAccessible::List, "Index", {}},
                       },
                       // The navigation tabs: a tab list of Qt's own, which takes the current tab's name.
                       {help->findChild<QTabWidget*>(QStringLiteral("pcNavigation")),
                        help->findChild<QTabWidget*>(QStringLiteral("pcNavigation"))->tabBar()});
        help->close();
        Idle();
    }
}

TEST_F(AccessibilityTest, predefinedRowsAreCheckBoxesThatSpaceAndTheirToggleActionTick) {
    Open();
    TModalScript script;
    script.Then([&](QWidget* dialog) {
        auto* add = qobject_cast<TAddFileTypeForm*>(dialog);
        ASSERT_NE(add, nullptr);
        auto* view = add->findChild<QTreeWidget*>(QStringLiteral("lvExtensions"));
        ASSERT_NE(view, nullptr);
        QApplication::setActiveWindow(add);
        QAccessibleInterface* list = Accessible(view);
        // The header's two cells, then each row's check box and its description.
        ASSERT_EQ(list->childCount(), 6);
        EXPECT_EQ(list->child(0)->role(), QAccessible::ColumnHeader);
        EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("Description"));
        const auto box = [list](int row) { return list->child(2 * (row + 1)); };
        for (int row : {0, 1}) {
            SCOPED_TRACE(row);
            EXPECT_EQ(box(row)->role(), QAccessible::CheckBox);
            EXPECT_TRUE(box(row)->state().checkable);
            EXPECT_FALSE(box(row)->state().checked);
            EXPECT_EQ(box(row), list->child(2 * (row + 1))) << "one element per cell";
            EXPECT_EQ(list->indexOfChild(box(row)), 2 * (row + 1));
            EXPECT_EQ(box(row)->parent(), list);
            ASSERT_NE(box(row)->actionInterface(), nullptr);
            EXPECT_EQ(box(row)->actionInterface()->actionNames(),
                      QStringList{QAccessibleActionInterface::toggleAction()});
            EXPECT_EQ(list->child(2 * (row + 1) + 1)->role(), QAccessible::TreeItem);
            EXPECT_EQ(list->child(2 * (row + 1) + 1)->actionInterface(), nullptr);
        }
        EXPECT_EQ(box(0)->text(QAccessible::Name), QStringLiteral(".exe"));
        EXPECT_EQ(box(0)->text(QAccessible::Description), view->topLevelItem(0)->text(1));
        EXPECT_EQ(box(1)->text(QAccessible::Name), view->topLevelItem(1)->text(0));

        // The list has the focus with its first row current, and says so; Space ticks the row, Down and Space
        // the next.
        ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(view));
        EXPECT_EQ(list->focusChild(), box(0));
        EXPECT_TRUE(box(0)->state().focused);
        Press(Qt::Key_Space);
        EXPECT_TRUE(box(0)->state().checked);
        Press(Qt::Key_Down);
        EXPECT_EQ(list->focusChild(), box(1));
        Press(Qt::Key_Space);
        EXPECT_TRUE(box(1)->state().checked);
        Press(Qt::Key_Space);
        EXPECT_FALSE(box(1)->state().checked);
        EXPECT_EQ(add->ChosenExtensions(), std::vector<std::string>{".exe"});

        // The toggle action ticks and clears a row as Space does, without selecting it or moving the focus.
        view->clearSelection();
        box(1)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(box(1)->state().checked);
        EXPECT_EQ(add->ChosenExtensions(),
                  (std::vector<std::string>{".exe", view->topLevelItem(1)->text(0).toStdString()}));
        box(0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_FALSE(box(0)->state().checked);
        EXPECT_FALSE(box(0)->state().selected);
        EXPECT_FALSE(box(1)->state().selected);
        EXPECT_EQ(list->focusChild(), box(1));

        // In typing mode the list is disabled, and so are its check boxes.
        add->findChild<QRadioButton*>(QStringLiteral("rbManual"))->click();
        Idle();
        EXPECT_TRUE(box(1)->state().disabled);
        box(1)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(view->topLevelItem(1)->checkState(0) == Qt::Checked);
        add->reject();
    });
    Part<TAction>(*FForm, "actAllowedAdd")->trigger();
}

TEST_F(AccessibilityTest, theLinkTakesTheFocusFromTheKeyboardAndShowsIt) {
    linklabel::TLinkLabel label;
    EXPECT_EQ(label.focusPolicy(), Qt::NoFocus) << "no link, no tab stop";
    std::vector<int> clicked;
    label.SetOnLinkClick(
        [&](linklabel::TCustomLinkLabel*, int number, const QString&, const QString&) { clicked.push_back(number); });
    label.SetCaption(QStringLiteral("<link>one</link> and <link=x>two</link>"));
    label.resize(200, 20);
    label.show();
    QApplication::setActiveWindow(&label);
    Idle();
    ASSERT_EQ(label.LinkCount(), 2);
    EXPECT_NE(label.focusPolicy() & Qt::TabFocus, 0);
    label.clearFocus(); // the only tab stop of its window got the focus when the window came up
    const QImage unfocused = label.grab().toImage();
    EXPECT_EQ(label.FocusedLink(), -1);
    label.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(label.hasFocus());
    EXPECT_EQ(label.FocusedLink(), 0);
    EXPECT_NE(label.grab().toImage(), unfocused) << "the focused link is drawn";
    QTest::keyClick(&label, Qt::Key_Return);
    QTest::keyClick(&label, Qt::Key_Tab);
    EXPECT_EQ(label.FocusedLink(), 1);
    QTest::keyClick(&label, Qt::Key_Space);
    EXPECT_EQ(clicked, (std::vector<int>{0, 1}));
    EXPECT_TRUE(Accessible(&label)->child(1)->state().focused);
    EXPECT_EQ(Accessible(&label)->focusChild(), Accessible(&label)->child(1));
}

TEST_F(AccessibilityTest, theKeyboardAloneAddsRemovesSavesChangesTheThemeOpensTheLinkAndTheHelp) {
    TMainForm& form = Open();
    auto* lbAllowed = Part<QListWidget>(form, "lbAllowed");
    QApplication::setActiveWindow(&form);
    // The tab control has the focus first; a list that gets it shows its first entry as current,
    // and the first Down picks that entry.
    ASSERT_EQ(QApplication::focusWidget(), Part<QTabWidget>(form, "PageControl")->focusProxy());
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(lbAllowed));
    EXPECT_EQ(lbAllowed->currentRow(), 0);
    Press(Qt::Key_Down);
    ASSERT_EQ(Items(lbAllowed).value(lbAllowed->currentRow()), QStringLiteral(".bat"));
    EXPECT_TRUE(lbAllowed->currentItem()->isSelected());
    Press(Qt::Key_Delete);
    EXPECT_EQ(Items(lbAllowed), QStringList{".zip"});

    // Add: Tab to Add..., Enter; in the dialog, Shift+Tab to the checked mode button, Down to typing.
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("btnAllowAdd"));
    {
        TModalScript script;
        script.Then([&](QWidget* dialog) {
            auto* add = qobject_cast<TAddFileTypeForm*>(dialog);
            ASSERT_NE(add, nullptr);
            QApplication::setActiveWindow(add);
            EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QTreeWidget>(*add, "lvExtensions")));
            Press(Qt::Key_Tab, Qt::ShiftModifier);
            EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QRadioButton>(*add, "rbList")))
                << "the checked mode button is a tab stop";
            // Down selects typing, which gives the edit box the focus as a click does; Up goes back to the list.
            Press(Qt::Key_Down);
            EXPECT_TRUE(Part<QRadioButton>(*add, "rbManual")->isChecked());
            ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QLineEdit>(*add, "edtInputExtensions")));
            Press(Qt::Key_Tab, Qt::ShiftModifier);
            ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QRadioButton>(*add, "rbManual")));
            Press(Qt::Key_Up);
            EXPECT_TRUE(Part<QRadioButton>(*add, "rbList")->isChecked());
            EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QTreeWidget>(*add, "lvExtensions")));
            Press(Qt::Key_Tab, Qt::ShiftModifier);
            Press(Qt::Key_Down);
            ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QLineEdit>(*add, "edtInputExtensions")));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(".kbd"));
            Press(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QPushButton>(*add, "btnOK")));
            // Round past Cancel and Help, the disabled list and the unchecked mode button, to the checked one.
            Press(Qt::Key_Tab);
            Press(Qt::Key_Tab);
            Press(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(Part<QRadioButton>(*add, "rbManual")));
            Press(Qt::Key_Return);
        });
        Press(Qt::Key_Return);
        Idle();
    }
    EXPECT_EQ(Items(lbAllowed), (QStringList{".kbd", ".zip"}));

    // The focus is back on Add...; Tab passes the disabled Remove and reaches Save.
    QApplication::setActiveWindow(&form);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("btnAllowAdd"));
    Press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("btnSaveChanges"));
    Press(Qt::Key_Return);
    EXPECT_FALSE(form.IsModified());
    EXPECT_NE(Hive().find(".kbd;.zip"), std::string::npos);

    // F10 opens the menu bar; Right to "Visual Theme", Down to "Vista", Enter.
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_F10);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr) << "F10 opens the menu bar";
    EXPECT_EQ(popup->objectName(), QStringLiteral("mnuFile"));
    Press(Qt::Key_Right);
    popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->objectName(), QStringLiteral("mnuVisualTheme"));
    for (int i = 0; i < 12 && (popup->activeAction() == nullptr || popup->activeAction()->text() != "Vista"); ++i) {
        Press(Qt::Key_Down);
    }
    ASSERT_NE(popup->activeAction(), nullptr);
    ASSERT_EQ(popup->activeAction()->text(), QStringLiteral("Vista"));
    Press(Qt::Key_Return);
    Idle();
    EXPECT_EQ(Settings->SkinName(), "actThemeVista");

    // Help > About by the menu's access key; Tab to the link, Enter opens it, Escape closes the box.
    QApplication::setActiveWindow(&form);
    {
        TModalScript script;
        script.Then([&](QWidget* about) {
            QApplication::setActiveWindow(about);
            Press(Qt::Key_Tab);
            ASSERT_NE(qobject_cast<linklabel::TLinkLabel*>(QApplication::focusWidget()), nullptr);
            Press(Qt::Key_Return);
            EXPECT_TRUE(about->isVisible()) << "the link leaves the box open";
            Press(Qt::Key_Escape);
        });
        QTest::keyClick(&form, Qt::Key_F10);
        Press(Qt::Key_Left); // from File round to Help
        popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(popup->objectName(), QStringLiteral("mnuHelp"));
        Press(Qt::Key_A);
        Idle();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(FOpened, std::vector<std::string>{kProductWebPage});

    if (!testhelp::HelpWindowIsQt()) {
        return; // HTML Help's own window on Windows, closed by the system's keys
    }
    // F1 shows the help; Escape closes it.
    ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    QApplication::setActiveWindow(&form);
    ASSERT_EQ(QApplication::activeWindow(), static_cast<QWidget*>(&form));
    QTest::keyClick(&form, Qt::Key_F1);
    Idle();
    QWidget* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    QApplication::setActiveWindow(help);
    QTest::keyClick(help, Qt::Key_Escape);
    Idle();
    EXPECT_EQ(HelpWindow(), nullptr);
}

TEST_F(AccessibilityTest, altShiftSpaceOpensTheSystemMenuWhoseEntriesNameTheCaptionButtons) {
    TMainForm& form = Open();
    auto* skSkinForm = Part<TSkinForm>(form, "skSkinForm");
    if (!skSkinForm->FrameActive()) {
        GTEST_SKIP() << "the platform's frame is drawn";
    }
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_Space, Qt::AltModifier | Qt::ShiftModifier);
    QMenu* menu = skSkinForm->SystemMenu();
    ASSERT_TRUE(menu->isVisible());
    QStringList entries;
    for (QAction* entry : menu->actions()) {
        if (!entry->isSeparator()) {
            entries << entry->text().remove(u'&').section(u'\t', 0, 0);
        }
    }
    EXPECT_EQ(entries, (QStringList{"Minimize", "Close"}));
    menu->close();
}

} // namespace
