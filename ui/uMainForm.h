#pragma once

#include "outlook/EffectiveStatus.h"
#include "ui/SkinMessage.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class TAction;
class TCompressedStoredSkin;
class TSkinData;
class TSkinForm;
class TActionList;
class TOutlookInteraction;

/// The main window: the installed Outlook versions and, for the selected one, the allowed and the
/// blocked file types, each on its own tab. The list boxes are the only copy of the lists being
/// edited; nothing reaches the registry until Save.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Routines of the window.
    void LoadLists();
    void SaveChanges();
    bool IsModified() const { return FAllowedModified || FBlockedModified; }
    /// Asks the close question when there are edits; true when the window may close.
    bool CloseQuery();
    void ShowInformation(const QString& message);
    TModalResult ShowMessageDialog(const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext);
    void ApplyTheme(const QString& themeName);
    std::optional<std::vector<std::string>> ExecuteAddFileTypeForm();
    void OpenProductWebPage();
    /// What OpenProductWebPage calls: the desktop's browser; tests put a recorder in its place.
    static std::function<void(QWidget* owner, const std::string& address)> WebPageOpener;

    /// The version index whose lists are on screen, where Save writes; while the user switches, the
    /// selector shows the next one before this follows.
    int VersionIndex() const { return FVersionIndex; }

signals:
    /// The window agreed to close: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateComponents();
    void CreateActions();
    void CreateMenus();

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void cbOutlookVersionChange();
    void actSaveExecute();
    void actCancelExecute();
    void actCloseExecute();
    void actAllowedAddExecute();
    void actAllowedRemoveExecute();
    void actBlockedAddExecute();
    void actBlockedRemoveExecute();
    void actHelpContentsExecute();
    void actHelpAboutExecute();
    void actThemeExecute(TAction* action);
    void actCheckFileTypeExecute();
    void actPolicyHelpExecute();

    /// Reads the layers of the version on screen again and shows or hides the policy notice.
    void RefreshPolicyStatus();
    /// Puts a mark and a tooltip on every list entry that does not do what its owner may expect.
    void RefreshHints();

    /// Loads the live theme from the window's own copy of the default, unless a theme is live already.
    void UseBuiltInTheme();
    void AddExtensions(QListWidget* listBox, bool& modified);
    void RemoveSelected(QListWidget* listBox, bool& modified);

    bool FAllowedModified = false;
    bool FBlockedModified = false;
    int FVersionIndex = -1;

    // Theme objects: the window's own theme slot, the live theme every window draws from, and the frame.
    TCompressedStoredSkin* skCompressedStoredSkin = nullptr;
    TSkinData* skSkinData = nullptr;
    TSkinForm* skSkinForm = nullptr;

    // Components, each named by its object name as well (tests find them by it).
    QMenuBar* MainMenuBar = nullptr;
    QComboBox* cbOutlookVersion = nullptr;
    QTabWidget* PageControl = nullptr;
    QListWidget* lbAllowed = nullptr;
    QListWidget* lbBlocked = nullptr;
    TAction* actSave = nullptr;
    TAction* actCancel = nullptr;
    TAction* actClose = nullptr;
    TAction* actAllowedAdd = nullptr;
    TAction* actAllowedRemove = nullptr;
    TAction* actBlockedAdd = nullptr;
    TAction* actBlockedRemove = nullptr;
    TAction* actHelpContents = nullptr;
    TAction* actHelpAbout = nullptr;
    TAction* actCheckFileType = nullptr;
    TAction* actPolicyHelp = nullptr;
    /// Above the tabs while policy overrides the lists of the version on screen.
    QWidget* pnlPolicyNotice = nullptr;
    QLabel* lblPolicyNotice = nullptr;
    std::vector<TAction*> ThemeActions;

    std::unique_ptr<TOutlookInteraction> FOutlook;
    TActionList* FActionList = nullptr;
    QWidget* FClientArea = nullptr;
    TSecurityLayers FLayers; // the policy layers of the version shown; the lists are those on screen
    /// Outlook's default Level 1 list, when Extensions.txt could be read.
    std::optional<std::vector<std::string>> FDefaultLevel1;
};

/// Puts entries into a list box that keeps itself sorted ascending without regard to letter case.
void SetListBoxItems(QListWidget* listBox, const std::vector<std::string>& items);
void AddListBoxItem(QListWidget* listBox, const std::string& item);
std::vector<std::string> ListBoxItems(const QListWidget* listBox);
