#pragma once

#include <QDialog>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class TSkinData;

/// Kinds of message, by code.
enum TMsgDlgType : int { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

/// Buttons of a message box; bit i of a button set stands for button i.
enum TMsgDlgBtn : int {
    mbYes = 0,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbButtonCount
};
using TMsgDlgButtons = std::uint16_t;
constexpr TMsgDlgButtons ButtonSet(std::initializer_list<TMsgDlgBtn> buttons) {
    TMsgDlgButtons set = 0;
    for (TMsgDlgBtn b : buttons) {
        set = TMsgDlgButtons(set | (1u << b));
    }
    return set;
}

/// The number of the button that closed a modal window; 0 while none has.
using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10
};

/// Prepares the default captions and button texts; the program does it once at start-up.
void InitializeSkinMessageTexts();

/// The box window: a caption for its kind, the kind's icon, the message and a centred row of buttons.
class TSkinMessageForm : public QDialog {
    Q_OBJECT
public:
    explicit TSkinMessageForm(QWidget* owner);

    int HelpContext = 0;
    QPushButton* CancelButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    friend class TSkinMessage;
    QWidget* FClient;
};

/// A themed modal message box, created for one message and released after it.
class TSkinMessage : public QObject {
    Q_OBJECT
public:
    explicit TSkinMessage(QObject* owner = nullptr);

    TSkinData* SkinData = nullptr;     // draws frame and caption
    TSkinData* CtrlSkinData = nullptr; // draws label and buttons
    QString ButtonSkinDataName = QStringLiteral("button");
    QString MessageLabelSkinDataName = QStringLiteral("stdlabel");
    QFont DefaultFont;
    QFont DefaultButtonFont;
    bool UseSkinFont = true;

    /// Shows the message modally; returns the result of the pressed button, or mrCancel when the box
    /// was closed without one.
    TModalResult ShowModalMessage(const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext);

    /// Called with the box's help context when its Help button is pressed.
    static std::function<void(int)> HelpHandler;
};

/// Default caption of a kind and caption/result of a button (after InitializeSkinMessageTexts).
/// A message as the box lays it out: CR LF, LF CR, LF and a lone CR each end one line, so that no line
/// starts with the CR of a break written the other way round. The message itself stays as written.
QString MessageLines(const QString& message);

QString MessageKindCaption(TMsgDlgType kind);
QString MessageButtonCaption(TMsgDlgBtn button);
QString MessageButtonName(TMsgDlgBtn button);
TModalResult MessageButtonResult(TMsgDlgBtn button);
