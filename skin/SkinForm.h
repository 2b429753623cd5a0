#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>

class QMenu;
#include <QMenuBar>
#include <QWidget>
class TSkinData;
class TSkinCaption;

/// Which caption buttons a themed frame shows.
enum class TSkinFormKind {
    MainWindow, ///< minimise and close buttons; no caption icon, no maximise
    Dialog,     ///< a close button only
    MessageBox, ///< no caption buttons
};

/// The themed frame of a top-level window, drawn in place of the platform's: a 27-pixel caption
/// (with the top border) and 3-pixel borders, painted in the window's contents margins. The
/// window keeps one client widget in a zero-margin layout; outer size = client size + (6, 30).
/// While the live theme has no theme loaded, or its SkinnableForm is off, the platform's frame stays.
class TSkinForm : public QObject {
    Q_OBJECT
public:
    static constexpr QMargins FrameMargins{3, 27, 3, 3};

    /// Attaches the frame to `form` (a top-level QWidget or QDialog, its parent), registers the
    /// form with `skinData` and keeps the client widget at the size it had.
    TSkinForm(QWidget* form, TSkinData* skinData, TSkinFormKind kind);
    ~TSkinForm() override;

    QWidget* Form() const { return FForm; }
    TSkinFormKind Kind() const { return FKind; }
    TSkinData* SkinData() const { return FSkinData; }
    void SetSkinData(TSkinData* skinData);

    /// Whether the themed frame is drawn now.
    bool FrameActive() const { return FActive; }

    /// The window's themed menu bar; drawn from "mainmenubar" unless it names another object.
    void SetMainMenuBar(QMenuBar* menuBar);
    QMenuBar* MainMenuBar() const { return FMenuBar; }

    /// The system menu: Minimize (main window only) and Close. Opens from a right click on the
    /// caption, from Alt+Space and from Alt+Shift+Space (which window managers leave to the window).
    QMenu* SystemMenu() const { return FSystemMenu; }

    /// The frame attached to `form`, or nullptr.
    static TSkinForm* Of(const QWidget* form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateFrame();
    void SetActive(bool active);
    void PaintBorders();

    QPointer<QWidget> FForm;
    QPointer<TSkinData> FSkinData;
    TSkinFormKind FKind;
    bool FActive = false;
    Qt::WindowFlags FPlatformFlags; // the window's own flags, given back when our frame goes
    TSkinCaption* FCaption = nullptr;
    QMenu* FSystemMenu = nullptr;
    QPointer<QMenuBar> FMenuBar;
    QMetaObject::Connection FSkinConnection;
};

/// Fits `form` to its themed frame: client height := outer height − 30, then client width :=
/// outer width − 6. Without an active themed frame, the platform's frame already surrounds the
/// client, and nothing changes.
void AdjustClientSize(QWidget* form);
