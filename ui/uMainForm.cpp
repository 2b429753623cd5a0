#include "ui/uMainForm.h"

#include "base/SysUtils.h"
#include "help/binding/HTMLHelpViewer.h"
#include "outlook/ExtensionsFile.h"
#include "outlook/OutlookInteraction.h"
#include "platform/Memory.h"
#include "platform/Registry.h"
#include "platform/WinePrefixes.h"
#include "settings/uSettings.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinTheme.h"
#include "themes/ThemePackages.h"
#include "ui/Accessibility.h"
#include "ui/Actions.h"
#include "ui/Application.h"
#include "ui/DemoPrefix.h"
#include "ui/ElidedToolTips.h"
#include "ui/OpenWebPage.h"
#include "ui/Product.h"
#include "ui/ProductArt.h"
#include "ui/uAboutForm.h"
#include "ui/uAddFileType.h"
#include "ui/uCheckFileType.h"
#include "ui/uDMSkins.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

const char* const kNotDetectedText =
    "Microsoft Outlook was not detected on the system (verison 2000 and above).\n\r"
    "Cannot modify attachment security settings.\n\r"
    "Please, install Outlook and run it at least once at current user account\n\r"
    "Note: this program is not intended for Outlook Express, visit our site to see how to configure Outlook "
    "Express security settings";
const char* const kRestartText = "Changes saved but detected Microsoft Outlook running. \n\r"
                                 "Please, restart Microsoft Outlook to apply changes.\n\r"
                                 "Sometimes applying changes requires to restart a computer";
const char* const kCancelQuestion = "Do you wish to cancel changes?";
const char* const kSwitchQuestion = "Do you wish to save changes before switching to another Outlook version";
const char* const kExitQuestion = "Save changes before exit?";

const char* const kEmptyEntryPlaceholder = "(empty entry)";
const char* const kAdministratorOnly = "Only an administrator can change this.";
const char* const kDemoPrefix = "This is a demo Wine prefix, made from examples/demo-user.reg to try Vellicor out: no "
                                "Outlook reads what you save here.";

constexpr int kClientWidth = 589;
constexpr int kClientHeight = 346;

/// A list box entry: it sorts without regard to letter case, as the lists are shown, and carries its hint.
/// Its text, tooltip and mark are fields of its own rather than item data: item data is a table of roles that
/// each entry allocates and regrows (a quarter of a kilobyte for a hinted entry, for thousands of entries),
/// and setting it tells the model of each entry on its own. Qt reads that table whole only to drag entries,
/// which these lists do not; everything else asks data() for one role.
class TEntryItem : public QListWidgetItem {
public:
    explicit TEntryItem(const QString& text) : FText(text) {}
    bool operator<(const QListWidgetItem& other) const override {
        return FText.compare(other.text(), Qt::CaseInsensitive) < 0;
    }
    QVariant data(int role) const override {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return FText;
        case Qt::ToolTipRole:
            return FHint.isEmpty() ? QVariant() : QVariant(FHint);
        case Qt::DecorationRole:
            return FMark.isNull() ? QVariant() : QVariant(FMark);
        default:
            return QListWidgetItem::data(role);
        }
    }
    void setData(int role, const QVariant& value) override {
        bool changed = false;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            changed = value.toString() != FText;
            FText = value.toString();
            break;
        case Qt::ToolTipRole:
            changed = SetHint(value.toString(), FMark);
            break;
        case Qt::DecorationRole:
            changed = SetHint(FHint, value.value<QIcon>());
            break;
        default:
            QListWidgetItem::setData(role, value);
            return;
        }
        if (changed && listWidget() != nullptr) {
            QAbstractItemModel* model = listWidget()->model();
            const QModelIndex index = model->index(listWidget()->row(this), 0);
            const bool text = role == Qt::DisplayRole || role == Qt::EditRole;
            emit model->dataChanged(index, index, text ? QList<int>{Qt::DisplayRole, Qt::EditRole} : QList<int>{role});
        }
    }
    /// Gives the entry its hint without telling the model, for a caller that tells it once for many
    /// entries; true when the entry did not have it already.
    bool SetHint(const QString& hint, const QIcon& mark) {
        const bool changed = hint != FHint || mark.cacheKey() != FMark.cacheKey();
        FHint = hint;
        FMark = mark;
        return changed;
    }

private:
    QString FText;
    QString FHint;
    QIcon FMark;
};

/// Draws an empty entry as a visible placeholder; what the entry holds, and what Save writes, stays empty.
class TEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(Qt::DisplayRole).toString().isEmpty()) {
            option->text = QString::fromLatin1(kEmptyEntryPlaceholder);
            option->font.setItalic(true);
        }
    }
};

/// The small mark of an entry with a hint: an exclamation mark in a round badge, in the theme's colours.
QIcon HintMark(const QPalette& palette) {
    QPixmap mark(12, 12);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.color(QPalette::Highlight));
    painter.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    painter.setPen(QPen(palette.color(QPalette::HighlightedText), 1.6));
    painter.drawLine(QPointF(6, 3), QPointF(6, 7));
    painter.drawPoint(QPointF(6, 9.2));
    return QIcon(mark);
}

QWidget* MakePanel(const char* name, QWidget* parent, const QRect& geometry) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setAttribute(Qt::WA_StyledBackground);
    SetSkinDataName(panel, QStringLiteral("panel"));
    return panel;
}

// Enter and Return press the focused button, as on every desktop; outside a dialog Qt leaves that to
// Space alone.
class TEnterPressesButton : public QObject {
public:
    explicit TEnterPressesButton(QAbstractButton* button) : QObject(button) { button->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || button == nullptr ||
            !button->isEnabled()) {
            return false;
        }
        button->click();
        return true;
    }
};

QPushButton* MakeButton(const char* name, QWidget* parent, const QRect& geometry, TAction* action) {
    auto* button = new QPushButton(parent);
    new TEnterPressesButton(button);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    SetSkinDataName(button, QStringLiteral("button"));
    LinkButtonToAction(button, action);
    return button;
}

/// One tab: a label strip, the list box filling the middle, and the Add and Remove buttons below.
/// The list box is anchored on all four sides of its strip.
class TListPage : public QWidget {
public:
    TListPage(const char* name, QWidget* parent) : QWidget(parent) { setObjectName(QString::fromLatin1(name)); }
    QWidget* Top = nullptr;
    QWidget* Middle = nullptr;
    QWidget* Bottom = nullptr;
    QListWidget* List = nullptr;

protected:
    void resizeEvent(QResizeEvent*) override {
        const int w = width();
        const int h = height();
        Top->setGeometry(0, 0, w, 25);
        Bottom->setGeometry(0, h - 36, w, 36);
        Middle->setGeometry(0, 25, w, std::max(0, h - 25 - 36));
        List->setGeometry(9, 3, std::max(0, Middle->width() - 12), std::max(0, Middle->height() - 3));
    }
};

} // namespace

void SetListBoxItems(QListWidget* listBox, const std::vector<std::string>& items) {
    // Sorted here once, by the order TEntryItem defines, rather than by the list through its virtual
    // comparison, which copies both texts for every comparison.
    std::vector<QString> texts;
    texts.reserve(items.size());
    for (const auto& item : items) {
        texts.push_back(ToQString(item));
    }
    std::stable_sort(texts.begin(), texts.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    listBox->setSortingEnabled(false);
    listBox->clear();
    // Each entry added would be a signal through the list's model, which the view and assistive technology
    // answer one entry at a time: the entries go into the emptied list quietly, and the change is told once.
    QAbstractItemModel* model = listBox->model();
    {
        const QSignalBlocker quiet(model);
        for (const QString& text : texts) {
            listBox->addItem(new TEntryItem(text));
        }
    }
    emit model->layoutChanged();
    listBox->setSortingEnabled(true);
}

void AddListBoxItem(QListWidget* listBox, const std::string& item) {
    listBox->addItem(new TEntryItem(ToQString(item)));
}

std::vector<std::string> ListBoxItems(const QListWidget* listBox) {
    std::vector<std::string> items;
    items.reserve(std::size_t(listBox->count()));
    for (int i = 0; i < listBox->count(); ++i) {
        items.push_back(FromQString(listBox->item(i)->text()));
    }
    return items;
}

TMainForm::TMainForm(QWidget* parent) : QWidget(parent) {
    InstallAccessibleRoles();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(Application::Title());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    FActionList = new TActionList(this);
    // Built holding a copy of the default theme, which stays when the saved one cannot be applied.
    skCompressedStoredSkin = new TCompressedStoredSkin(this);
    skCompressedStoredSkin->setObjectName(QStringLiteral("skCompressedStoredSkin"));
    LoadDefaultStoredSkin(*skCompressedStoredSkin);
    skSkinData = new TSkinData(this);
    skSkinData->setObjectName(QStringLiteral("skSkinData"));
    connect(skSkinData, &TSkinData::SkinChanged, this, [this] { ApplyThemeToToolTips(skSkinData->Theme()); });
    // The live theme is loaded by FormCreate: the saved theme, or this copy when that cannot be applied. The
    // saved one is read while the window is built.
    {
        const TDMSkins store;
        if (const TCompressedStoredSkin* saved = store.FindStoredSkin(ToQString(Settings->SkinName()))) {
            skSkinData->PrepareAhead(*saved);
        }
    }
    CreateActions();
    CreateComponents();
    CreateMenus();
    skSkinForm = new TSkinForm(this, skSkinData, TSkinFormKind::MainWindow);
    skSkinForm->setObjectName(QStringLiteral("skSkinForm"));
    skSkinForm->SetMainMenuBar(MainMenuBar);
    move(0, 0);
    Application::Dispatch([this] { FormCreate(); });
    if (!skSkinData->Active()) {
        Application::Dispatch([this] { UseBuiltInTheme(); });
    }
    // Buttons and menu entries show their state from the start, not only once the loop goes idle.
    FActionList->UpdateActions();
}

TMainForm::~TMainForm() {
    // FormDestroy: the Outlook model goes with the window.
    FOutlook.reset();
}

void TMainForm::CreateActions() {
    auto make = [this](const char* name, const char* caption, const char* category) {
        auto* action =
            new TAction(QString::fromLatin1(name), QString::fromLatin1(caption), QString::fromLatin1(category), this);
        FActionList->Add(action);
        return action;
    };
    actSave = make("actSave", "&Save", "");
    actSave->OnExecute = [this](TAction*) { actSaveExecute(); };
    actSave->OnUpdate = [this](TAction* a) { a->setEnabled(IsModified()); };
    actCancel = make("actCancel", "&Cancel", "");
    actCancel->OnExecute = [this](TAction*) { actCancelExecute(); };
    actCancel->OnUpdate = [this](TAction* a) { a->setEnabled(IsModified()); };
    actClose = make("actClose", "C&lose", "");
    actClose->OnExecute = [this](TAction*) { actCloseExecute(); };
    actAllowedAdd = make("actAllowedAdd", "Add...", "Allowed");
    actAllowedAdd->OnExecute = [this](TAction*) { actAllowedAddExecute(); };
    actAllowedRemove = make("actAllowedRemove", "Remove", "Allowed");
    actAllowedRemove->OnExecute = [this](TAction*) { actAllowedRemoveExecute(); };
    actAllowedRemove->OnUpdate = [this](TAction* a) { a->setEnabled(!lbAllowed->selectedItems().isEmpty()); };
    actBlockedAdd = make("actBlockedAdd", "Add...", "Blocked");
    actBlockedAdd->OnExecute = [this](TAction*) { actBlockedAddExecute(); };
    actBlockedRemove = make("actBlockedRemove", "Remove", "Blocked");
    actBlockedRemove->OnExecute = [this](TAction*) { actBlockedRemoveExecute(); };
    actBlockedRemove->OnUpdate = [this](TAction* a) { a->setEnabled(!lbBlocked->selectedItems().isEmpty()); };
    actHelpContents = make("actHelpContents", "&Contents", "Help");
    actHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    actHelpContents->setShortcutContext(Qt::WindowShortcut);
    actHelpContents->OnExecute = [this](TAction*) { actHelpContentsExecute(); };
    addAction(actHelpContents);
    actHelpAbout = make("actHelpAbout", "&About Vellicor", "Help");
    actHelpAbout->OnExecute = [this](TAction*) { actHelpAboutExecute(); };
    actCheckFileType = make("actCheckFileType", "C&heck a file type...", "File");
    actCheckFileType->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    actCheckFileType->setShortcutContext(Qt::WindowShortcut);
    actCheckFileType->OnExecute = [this](TAction*) { actCheckFileTypeExecute(); };
    actCheckFileType->OnUpdate = [this](TAction* a) { a->setEnabled(FVersionIndex >= 0); };
    addAction(actCheckFileType);
    actPolicyHelp = make("actPolicyHelp", "Why?", "Help");
    actPolicyHelp->OnExecute = [this](TAction*) { actPolicyHelpExecute(); };
    for (const auto& theme : themes::Packages()) {
        TAction* action = make(theme.Identifier, theme.Caption, "Theme");
        action->setCheckable(true);
        action->setChecked(ThemeActions.empty()); // the built-in default carries the mark
        action->OnExecute = [this](TAction* a) { actThemeExecute(a); };
        ThemeActions.push_back(action);
    }
}

void TMainForm::CreateComponents() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FClientArea = new QWidget(this);
    FClientArea->setObjectName(QStringLiteral("ClientArea"));
    FClientArea->setFixedSize(kClientWidth, kClientHeight);
    layout->addWidget(FClientArea);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    MainMenuBar = new QMenuBar(FClientArea);
    MainMenuBar->setObjectName(QStringLiteral("MainMenuBar"));
    MainMenuBar->setNativeMenuBar(false);
    MainMenuBar->setGeometry(0, 0, kClientWidth, 22);

    const int bodyTop = 22;
    const int bodyHeight = kClientHeight - bodyTop;
    QWidget* logoPanel = MakePanel("LogoPanel", FClientArea, QRect(0, bodyTop, 145, bodyHeight));
    auto* logo = new QLabel(logoPanel);
    logo->setObjectName(QStringLiteral("LogoImage"));
    logo->setPixmap(ProductPanelPicture());
    logo->setGeometry(5, 0, 241, 300); // only the part inside the panel shows

    QWidget* clientPanel = MakePanel("ClientPanel", FClientArea, QRect(145, bodyTop, 444, bodyHeight));
    QWidget* versionPanel = MakePanel("PanelOutlookVersion", clientPanel, QRect(0, 0, 444, 32));
    auto* versionLabel = new QLabel(QStringLiteral("Installed Outlook version:"), versionPanel);
    versionLabel->setObjectName(QStringLiteral("lblOutlookVersion"));
    SetSkinDataName(versionLabel, QStringLiteral("stdlabel"));
    versionLabel->move(6, 10);
    versionLabel->adjustSize();
    cbOutlookVersion = new QComboBox(versionPanel);
    cbOutlookVersion->setObjectName(QStringLiteral("cbOutlookVersion"));
    cbOutlookVersion->setEditable(false);
    cbOutlookVersion->setMaxVisibleItems(8);
    cbOutlookVersion->setGeometry(135, 6, 98, 20);
    SetSkinDataName(cbOutlookVersion, QStringLiteral("combobox"));
    // Named by its label, not by the version it shows; the label is related to it as its buddy.
    versionLabel->setBuddy(cbOutlookVersion);
    cbOutlookVersion->setAccessibleName(versionLabel->text());
    connect(cbOutlookVersion, &QComboBox::currentIndexChanged, this,
            [this] { Application::Dispatch([this] { cbOutlookVersionChange(); }); });

    QWidget* buttonsPanel = MakePanel("PanelButtons", clientPanel, QRect(0, bodyHeight - 47, 444, 47));
    auto* btnSave = MakeButton("btnSaveChanges", buttonsPanel, QRect(174, 10, 75, 25), actSave);
    auto* btnCancel = MakeButton("btnCancelChanges", buttonsPanel, QRect(263, 10, 75, 25), actCancel);
    auto* btnExit = MakeButton("btnExit", buttonsPanel, QRect(353, 10, 75, 25), actClose);
    QWidget* rightPanel = MakePanel("PanelRight", clientPanel, QRect(429, 32, 15, bodyHeight - 32 - 47));
    rightPanel->setAttribute(Qt::WA_TranslucentBackground);

    PageControl = new QTabWidget(clientPanel);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setGeometry(0, 32, 429, bodyHeight - 32 - 47);
    SetSkinDataName(PageControl, QStringLiteral("tab"));

    // Hidden until policy overrides the lists; while shown, it takes its height from the top of the tabs.
    pnlPolicyNotice = new QWidget(clientPanel);
    pnlPolicyNotice->setObjectName(QStringLiteral("pnlPolicyNotice"));
    pnlPolicyNotice->setAttribute(Qt::WA_StyledBackground);
    SetSkinDataName(pnlPolicyNotice, QStringLiteral("panel"));
    pnlPolicyNotice->hide();
    auto* noticeFrame = new QFrame(pnlPolicyNotice);
    noticeFrame->setObjectName(QStringLiteral("bvlPolicyNotice"));
    noticeFrame->setFrameShape(QFrame::Box);
    SetSkinDataName(noticeFrame, QStringLiteral("bevel"));
    // Its picture is looked up when the notice is first shown: on Linux the desktop's icon theme is searched
    // for it, which takes longer than anything else in making the window.
    auto* noticeIcon = new QLabel(pnlPolicyNotice);
    noticeIcon->setObjectName(QStringLiteral("imgPolicyNotice"));
    noticeIcon->setGeometry(8, 6, 16, 16);
    lblPolicyNotice = new QLabel(pnlPolicyNotice);
    lblPolicyNotice->setObjectName(QStringLiteral("lblPolicyNotice"));
    lblPolicyNotice->setWordWrap(true);
    lblPolicyNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetSkinDataName(lblPolicyNotice, QStringLiteral("stdlabel"));
    QPushButton* btnPolicyHelp =
        MakeButton("btnPolicyHelp", pnlPolicyNotice, QRect(429 - 8 - 60, 5, 60, 25), actPolicyHelp);

    auto makePage = [this](const char* name, const char* caption, const char* labelName, const char* labelText,
                           const char* listName, const char* addName, TAction* add, const char* removeName,
                           TAction* remove, QListWidget*& list) {
        auto* page = new TListPage(name, PageControl);
        page->Top = new QWidget(page);
        page->Middle = new QWidget(page);
        page->Bottom = new QWidget(page);
        auto* label = new QLabel(QString::fromLatin1(labelText), page->Top);
        label->setObjectName(QString::fromLatin1(labelName));
        SetSkinDataName(label, QStringLiteral("stdlabel"));
        label->move(9, 7);
        label->adjustSize();
        list = new QListWidget(page->Middle);
        list->setObjectName(QString::fromLatin1(listName));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true); // one line of text each: no need to measure every entry
        list->setSortingEnabled(false);  // FormCreate switches sorting on
        SetSkinDataName(list, QStringLiteral("listbox"));
        list->setItemDelegate(new TEntryDelegate(list));
        label->setBuddy(list);
        list->setAccessibleName(label->text());
        ShowCurrentEntryOnFocus(list);
        page->List = list;
        ShowElidedTextAsToolTip(list);
        auto* addButton = MakeButton(addName, page->Bottom, QRect(9, 5, 75, 25), add);
        auto* removeButton = MakeButton(removeName, page->Bottom, QRect(90, 5, 75, 25), remove);
        // After a Remove the focus stays in the list, where Delete removes the next entry the user picks.
        QListWidget* removedFrom = list;
        SetFocusWhenDisabled(removeButton, [removedFrom] { return removedFrom; });
        remove->setShortcut(QKeySequence(Qt::Key_Delete));
        remove->setShortcutContext(Qt::WidgetShortcut);
        list->addAction(remove);
        PageControl->addTab(page, QString::fromLatin1(caption));
        setTabOrder(list, addButton);
        setTabOrder(addButton, removeButton);
        return removeButton;
    };
    QPushButton* lastAllowed = makePage("pgAllowAccess", "Allow access", "lblAllowed",
                                        "List of allowed to open as attachments file types:", "lbAllowed",
                                        "btnAllowAdd", actAllowedAdd, "btnAllowRemove", actAllowedRemove, lbAllowed);
    QPushButton* lastBlocked = makePage("pgBlockAccess", "Block access", "lblBlocked",
                                        "List of blocked to open as attachments file types:", "lbBlocked",
                                        "btnBlockAdd", actBlockedAdd, "btnBlockRemove", actBlockedRemove, lbBlocked);

    // Focus order: the tabs and the controls of the tab shown, then Save, Cancel, Close, then the selector.
    // The tab bar takes the tab control's focus; ordering after the tab control itself would put
    // the list after the last of its pages' controls.
    setTabOrder(PageControl->focusProxy(), lbAllowed);
    setTabOrder(lastAllowed, lbBlocked);
    setTabOrder(lastBlocked, btnSave);
    setTabOrder(btnSave, btnCancel);
    setTabOrder(btnCancel, btnExit);
    setTabOrder(btnExit, cbOutlookVersion);
    setTabOrder(cbOutlookVersion, btnPolicyHelp); // only while the notice shows
    // Once saved or cancelled there is nothing left for either button: the focus goes back to the list.
    const auto shownList = [this]() -> QWidget* { return PageControl->currentIndex() == 0 ? lbAllowed : lbBlocked; };
    SetFocusWhenDisabled(btnSave, shownList);
    SetFocusWhenDisabled(btnCancel, shownList);
    // The version selector was made first, but the focus order starts at the tab control.
    PageControl->setFocus();
}

void TMainForm::CreateMenus() {
    QMenu* file = MainMenuBar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(actCheckFileType);
    file->addSeparator();
    // The menu entry points at actClose but shows its own caption.
    auto* exitItem = file->addAction(QStringLiteral("E&xit"));
    exitItem->setObjectName(QStringLiteral("mnuFileExit"));
    connect(exitItem, &QAction::triggered, actClose, [this] { actClose->trigger(); });
    connect(actClose, &QAction::changed, exitItem, [this, exitItem] { exitItem->setEnabled(actClose->isEnabled()); });

    QMenu* themes = MainMenuBar->addMenu(QStringLiteral("Visual Theme"));
    themes->setObjectName(QStringLiteral("mnuVisualTheme"));
    for (TAction* action : ThemeActions) {
        themes->addAction(action);
    }

    QMenu* help = MainMenuBar->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    help->addAction(actHelpContents);
    help->addSeparator();
    help->addAction(actHelpAbout);

    // F10 opens the menu bar from anywhere in the window, as on Windows.
    auto* openMenuBar = new QAction(this);
    openMenuBar->setObjectName(QStringLiteral("actMenuBarOpen"));
    openMenuBar->setShortcut(QKeySequence(Qt::Key_F10));
    openMenuBar->setShortcutContext(Qt::WindowShortcut);
    connect(openMenuBar, &QAction::triggered, this, [this] {
        if (!MainMenuBar->actions().isEmpty()) {
            MainMenuBar->setActiveAction(MainMenuBar->actions().first());
        }
    });
    addAction(openMenuBar);
}

void TMainForm::FormCreate() {
    FAllowedModified = false;
    FBlockedModified = false;
    PageControl->setCurrentIndex(0);
    lbAllowed->setSortingEnabled(true);
    lbBlocked->setSortingEnabled(true);
    try {
        ApplyTheme(ToQString(Settings->SkinName()));
    } catch (const std::exception& error) {
        UseBuiltInTheme();
        ShowInformation(ToQString(MessageOf(error)));
    }
    // The theme was prepared on a thread of its own, which has ended, and restyling the window freed much of
    // what it made: that memory would otherwise stay held for as long as the program runs.
    platform::ReleaseFreedMemory();
    FOutlook = std::make_unique<TOutlookInteraction>();
    if (!FOutlook->FVersions.empty()) {
        {
            // The combo box selects its first entry as it is added; that is no choice of the user's,
            // and reading the oldest version would create its Security key for nothing.
            const QSignalBlocker quiet(cbOutlookVersion);
            for (const auto& version : FOutlook->FVersions) {
                cbOutlookVersion->addItem(ToQString(version.DisplayName));
            }
            cbOutlookVersion->setCurrentIndex(-1);
        }
        // Selecting the newest version runs cbOutlookVersionChange, which loads its lists.
        cbOutlookVersion->setCurrentIndex(cbOutlookVersion->count() - 1);
    } else {
        ShowInformation(QString::fromLatin1(kNotDetectedText));
    }
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Application::Dispatch([this] { FormShow(); });
}

void TMainForm::FormShow() {
    AdjustClientSize(this);
}

bool TMainForm::CloseQuery() {
    bool canClose = false; // a failure in the close question keeps the window open
    Application::Dispatch([this, &canClose] {
        bool answer = true;
        FormCloseQuery(answer);
        canClose = answer;
    });
    return canClose;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (CloseQuery()) {
        event->accept();
        emit Closed();
    } else {
        event->ignore();
    }
}

void TMainForm::FormCloseQuery(bool& canClose) {
    canClose = true;
    if (IsModified()) {
        switch (ShowMessageDialog(QString::fromLatin1(kExitQuestion), mtConfirmation,
                                  ButtonSet({mbYes, mbNo, mbCancel}), 0)) {
        case mrCancel:
            canClose = false;
            break;
        case mrYes:
            canClose = false; // stays open if saving fails
            SaveChanges();
            canClose = true;
            break;
        default:
            break;
        }
    }
}

void TMainForm::cbOutlookVersionChange() {
    if (IsModified() &&
        ShowMessageDialog(QString::fromLatin1(kSwitchQuestion), mtConfirmation, ButtonSet({mbYes, mbNo}), 0) == mrYes) {
        try {
            SaveChanges();
        } catch (...) {
            // The lists on screen still belong to FVersionIndex: show that version in the selector
            // again, so that the next Save cannot write them under another one.
            const QSignalBlocker blocker(cbOutlookVersion);
            cbOutlookVersion->setCurrentIndex(FVersionIndex);
            throw;
        }
    }
    LoadLists();
}

void TMainForm::LoadLists() {
    FAllowedModified = false;
    FBlockedModified = false;
    lbAllowed->clear();
    // A failed read must not leave the previous version's blocked list on screen, where a save would
    // write it into the version now selected.
    lbBlocked->clear();
    FVersionIndex = cbOutlookVersion->currentIndex();
    SetListBoxItems(lbAllowed, FOutlook->GetAllowedExtensions(FVersionIndex));
    SetListBoxItems(lbBlocked, FOutlook->GetBlockedExtensions(FVersionIndex));
    RefreshPolicyStatus();
}

void TMainForm::SaveChanges() {
    if (FAllowedModified) {
        FOutlook->SetAllowedExtensions(FVersionIndex, ListBoxItems(lbAllowed));
        FAllowedModified = false;
    }
    if (FBlockedModified) {
        FOutlook->SetBlockedExtensions(FVersionIndex, ListBoxItems(lbBlocked));
        FBlockedModified = false;
    }
    RefreshPolicyStatus();
    if (FOutlook->IsOutlookRunning()) {
        ShowMessageDialog(QString::fromLatin1(kRestartText), mtInformation, ButtonSet({mbOK}), 0);
    }
}

void TMainForm::actSaveExecute() {
    SaveChanges();
}

void TMainForm::actCancelExecute() {
    if (ShowMessageDialog(QString::fromLatin1(kCancelQuestion), mtConfirmation, ButtonSet({mbYes, mbNo}), 0) == mrYes) {
        LoadLists();
    }
}

void TMainForm::actCloseExecute() {
    close();
}

void TMainForm::AddExtensions(QListWidget* listBox, bool& modified) {
    const auto added = ExecuteAddFileTypeForm();
    if (added && !added->empty()) {
        for (const auto& item : *added) {
            AddListBoxItem(listBox, item);
        }
        modified = true;
        RefreshHints();
    }
}

void TMainForm::RemoveSelected(QListWidget* listBox, bool& modified) {
    const auto selected = listBox->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    delete listBox->takeItem(listBox->row(selected.first()));
    // The list moves the selection to a neighbour of the removed entry; leave nothing selected, so
    // that Remove takes only what the user picks.
    listBox->setCurrentRow(-1);
    modified = true;
    RefreshHints();
}

void TMainForm::actAllowedAddExecute() {
    AddExtensions(lbAllowed, FAllowedModified);
}
void TMainForm::actAllowedRemoveExecute() {
    RemoveSelected(lbAllowed, FAllowedModified);
}
void TMainForm::actBlockedAddExecute() {
    AddExtensions(lbBlocked, FBlockedModified);
}
void TMainForm::actBlockedRemoveExecute() {
    RemoveSelected(lbBlocked, FBlockedModified);
}

void TMainForm::actHelpContentsExecute() {
    ShowHelpContents();
}

void TMainForm::actHelpAboutExecute() {
    ShowAboutForm(
        *skSkinData, [this] { OpenProductWebPage(); }, this);
}

void TMainForm::actCheckFileTypeExecute() {
    if (FVersionIndex < 0) {
        return;
    }
    // The saved state, read afresh: another program may have changed it since the lists were loaded.
    const TOutlookInfo& version = FOutlook->FVersions.at(std::size_t(FVersionIndex));
    TCheckFileTypeForm form(*skSkinData, this, ReadSecurityLayers(platform::CurrentUserRegistry(), version.KeyPath),
                            ReadDefaultLevel1List(), version.DisplayName, IsModified());
    form.setWindowModality(Qt::WindowModal); // the help it opens stays usable beside it
    form.exec();
}

void TMainForm::actPolicyHelpExecute() {
    ShowHelpContext(kStillBlockedHelpContext);
}

void TMainForm::RefreshPolicyStatus() {
    FLayers = {};
    if (FVersionIndex >= 0 && std::size_t(FVersionIndex) < FOutlook->FVersions.size()) {
        // The notice and the hints need the policies alone; the user's lists are those on screen.
        FLayers =
            ReadPolicyLayers(platform::CurrentUserRegistry(), FOutlook->FVersions[std::size_t(FVersionIndex)].KeyPath);
    }
    try {
        FDefaultLevel1 = ReadDefaultLevel1List();
    } catch (const std::exception&) {
        FDefaultLevel1.reset(); // no hint then rests on the default list; the Add dialog reports the file
    }
    const std::vector<std::string> overrides = PolicyOverrides(FLayers);
    const QRect tabs(0, 32, 429, kClientHeight - 22 - 32 - 47);
    const bool demo = IsDemoWinePrefix(platform::CurrentWinePrefix());
    if (overrides.empty() && !demo) {
        pnlPolicyNotice->hide();
        PageControl->setGeometry(tabs);
    } else {
        QString text;
        if (demo) {
            text += QString::fromLatin1(kDemoPrefix) + QLatin1Char(' ');
        }
        for (const auto& line : overrides) {
            text += ToQString(line) + QLatin1Char(' ');
        }
        if (!overrides.empty()) {
            text += QString::fromLatin1(kAdministratorOnly);
        }
        text = text.trimmed();
        if (auto* icon = pnlPolicyNotice->findChild<QLabel*>(QStringLiteral("imgPolicyNotice"));
            icon->pixmap().isNull()) {
            icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
        }
        pnlPolicyNotice->findChild<QPushButton*>(QStringLiteral("btnPolicyHelp"))->setVisible(!overrides.empty());
        lblPolicyNotice->setText(text);
        lblPolicyNotice->setToolTip(text);
        const int textWidth = tabs.width() - 30 - 74;
        const int lineHeight = lblPolicyNotice->fontMetrics().height();
        const int textHeight = std::min(lblPolicyNotice->heightForWidth(textWidth), 5 * lineHeight);
        const int height = std::max(36, textHeight + 10);
        pnlPolicyNotice->setGeometry(tabs.x(), tabs.y(), tabs.width(), height);
        pnlPolicyNotice->findChild<QFrame*>(QStringLiteral("bvlPolicyNotice"))
            ->setGeometry(2, 1, tabs.width() - 4, height - 3);
        lblPolicyNotice->setGeometry(30, 5, textWidth, height - 10);
        PageControl->setGeometry(tabs.adjusted(0, height, 0, 0));
        pnlPolicyNotice->show();
    }
    RefreshHints();
}

void TMainForm::RefreshHints() {
    const std::vector<std::string> allowed = ListBoxItems(lbAllowed);
    const std::vector<std::string> blocked = ListBoxItems(lbBlocked);
    const TListHints hints(allowed, blocked, FLayers, FDefaultLevel1 ? &*FDefaultLevel1 : nullptr);
    const QIcon mark = HintMark(lbAllowed->palette());
    QPixmap none(12, 12);
    none.fill(Qt::transparent);
    const QIcon blank(none);
    // Many entries share the same hints: each different tooltip is written once and shared.
    std::map<std::string, QString> written;
    for (auto [listBox, side] : {std::pair{lbAllowed, EListSide::Allow}, std::pair{lbBlocked, EListSide::Block}}) {
        const std::vector<std::string>& entries = side == EListSide::Allow ? allowed : blocked;
        std::vector<QString> tips;
        tips.reserve(entries.size());
        bool any = false;
        for (const auto& entry : entries) {
            const std::vector<std::string> lines = hints.For(side, entry);
            std::string key;
            for (const auto& line : lines) {
                key += line;
                key += '\0';
            }
            auto [found, added] = written.try_emplace(key);
            if (added) {
                // Rich text, so that the tooltip wraps its sentences instead of running across the screen.
                for (const auto& line : lines) {
                    found->second += QStringLiteral("<p>") + ToQString(line).toHtmlEscaped() + QStringLiteral("</p>");
                }
            }
            any = any || !found->second.isEmpty();
            tips.push_back(found->second);
        }
        // A list without hints looks as it always did; in one with hints, every entry keeps the mark's room
        // so that the entries stay aligned. A tooltip or a mark does not move an entry: a sorting list would
        // still look for its place again, copying the whole list, for every change.
        // Each change would be a signal through the list's model, which the view and assistive technology answer
        // one entry at a time: the entries are changed quietly and the change is told once, for the rows it
        // spans.
        const bool sorting = listBox->isSortingEnabled();
        listBox->setSortingEnabled(false);
        int first = listBox->count();
        int last = -1;
        for (int i = 0; i < listBox->count(); ++i) {
            const QString& tip = tips[std::size_t(i)];
            // Every entry of the two lists is made by SetListBoxItems or AddListBoxItem.
            if (static_cast<TEntryItem*>(listBox->item(i))
                    ->SetHint(tip, !any            ? QIcon()
                                   : tip.isEmpty() ? blank
                                                   : mark)) {
                first = std::min(first, i);
                last = i;
            }
        }
        if (last >= 0) {
            QAbstractItemModel* model = listBox->model();
            emit model->dataChanged(model->index(first, 0), model->index(last, 0),
                                    {Qt::ToolTipRole, Qt::DecorationRole});
        }
        listBox->setSortingEnabled(sorting);
    }
}

void TMainForm::actThemeExecute(TAction* action) {
    ApplyTheme(action->objectName());
    Settings->SetSkinName(FromQString(action->objectName()));
    Settings->Save();
}

void TMainForm::UseBuiltInTheme() {
    if (!skSkinData->Active()) {
        skSkinData->SetCompressedStoredSkin(skCompressedStoredSkin);
    }
}

void TMainForm::ApplyTheme(const QString& themeName) {
    // The store exists only while a theme is applied; only the chosen theme is ever inflated.
    const TDMSkins store;
    const TCompressedStoredSkin* found = store.FindStoredSkin(themeName);
    if (found == nullptr) {
        throw Exception("Unknown Theme: " + FromQString(themeName));
    }
    TCompressedStoredSkin previous;
    previous.Assign(*skCompressedStoredSkin);
    {
        TCompressedStoredSkin loaded;
        loaded.Assign(*found);
        skCompressedStoredSkin->Assign(loaded);
    }
    try {
        skSkinData->SetCompressedStoredSkin(skCompressedStoredSkin);
    } catch (...) {
        // A theme that does not load leaves the live theme as it was: keep the slot with it.
        skCompressedStoredSkin->Assign(previous);
        throw;
    }
    // Every action of the window whose category is "Theme", not only the menu's eleven.
    for (TAction* action : findChildren<TAction*>()) {
        if (action->Category() == QStringLiteral("Theme")) {
            action->setChecked(action->objectName() == themeName); // letter case counts here
        }
    }
    RefreshHints(); // the marks take the theme's colours
}

std::optional<std::vector<std::string>> TMainForm::ExecuteAddFileTypeForm() {
    TAddFileTypeForm form(*skSkinData, this);
    // Modal to this window only: the help its Help button opens must stay usable beside it.
    form.setWindowModality(Qt::WindowModal);
    form.ResetInput();
    if (form.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return form.ChosenExtensions();
}

std::function<void(QWidget*, const std::string&)> TMainForm::WebPageOpener = OpenWebPage;

void TMainForm::OpenProductWebPage() {
    WebPageOpener(this, kProductWebPage);
}

void TMainForm::ShowInformation(const QString& message) {
    TSkinMessage box;
    box.SkinData = skSkinData;
    box.CtrlSkinData = skSkinData;
    box.ShowModalMessage(message, mtInformation, ButtonSet({mbOK}), 0);
}

TModalResult TMainForm::ShowMessageDialog(const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons,
                                          int helpContext) {
    TSkinMessage box;
    box.SkinData = skSkinData;
    box.CtrlSkinData = skSkinData;
    return box.ShowModalMessage(message, kind, buttons, helpContext);
}
