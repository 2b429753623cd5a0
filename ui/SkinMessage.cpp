#include "ui/SkinMessage.h"

#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "ui/Accessibility.h"
#include "ui/Application.h"
#include "ui/MessageIcon.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

struct TButtonInfo {
    const char* Name;
    const char* DefaultCaption;
    const char* ResourceKey;
    TModalResult Result;
};

constexpr std::array<TButtonInfo, mbButtonCount> GButtons = {{
    {"Yes", "&Yes", "MSG_BTN_YES", mrYes},
    {"No", "&No", "MSG_BTN_NO", mrNo},
    {"OK", "OK", "MSG_BTN_OK", mrOk},
    {"Cancel", "Cancel", "MSG_BTN_CANCEL", mrCancel},
    {"Abort", "&Abort", "MSG_BTN_ABORT", mrAbort},
    {"Retry", "&Retry", "MSG_BTN_RETRY", mrRetry},
    {"Ignore", "&Ignore", "MSG_BTN_IGNORE", mrIgnore},
    {"All", "&All", "MSG_BTN_ALL", mrAll},
    {"NoToAll", "N&oToAll", "MSG_BTN_NOTOALL", mrNoToAll},
    {"YesToAll", "&YesToAll", "MSG_BTN_YESTOALL", mrYesToAll},
    {"Help", "&Help", "MSG_BTN_HELP", mrNone},
}};

struct TKindInfo {
    const char* DefaultCaption;
    const char* ResourceKey;
    QStyle::StandardPixmap Icon;
    bool HasIcon;
};

constexpr std::array<TKindInfo, 5> GKinds = {{
    {"Warning", "MSG_CAP_WARNING", QStyle::SP_MessageBoxWarning, true},
    {"Error", "MSG_CAP_ERROR", QStyle::SP_MessageBoxCritical, true},
    {"Information", "MSG_CAP_INFORMATION", QStyle::SP_MessageBoxInformation, true},
    {"Confirm", "MSG_CAP_CONFIRM", QStyle::SP_MessageBoxQuestion, true},
    {"", "", QStyle::SP_CustomBase, false},
}};

// The texts the box starts from; a theme's string table may replace them.
std::array<QString, mbButtonCount> GButtonCaptions;
std::array<QString, 5> GKindCaptions;
bool GTextsReady = false;

void EnsureTexts() {
    if (!GTextsReady) {
        InitializeSkinMessageTexts();
    }
}

QString ThemedText(const TSkinData* theme, const char* key, const QString& fallback) {
    if (theme != nullptr && theme->ResourceStrData() != nullptr && *key != '\0') {
        return theme->ResourceStrData()->Value(QString::fromLatin1(key), fallback);
    }
    return fallback;
}

constexpr int kButtonWidth = 70;
constexpr int kButtonGap = 10;
constexpr int kDefaultButtonHeight = 25;

} // namespace

std::function<void(int)> TSkinMessage::HelpHandler;

void InitializeSkinMessageTexts() {
    for (std::size_t i = 0; i < GButtons.size(); ++i) {
        GButtonCaptions[i] = QString::fromLatin1(GButtons[i].DefaultCaption);
    }
    for (std::size_t i = 0; i < GKinds.size(); ++i) {
        GKindCaptions[i] = QString::fromLatin1(GKinds[i].DefaultCaption);
    }
    GTextsReady = true;
}

QString MessageKindCaption(TMsgDlgType kind) {
    EnsureTexts();
    return kind == mtCustom ? Application::Title() : GKindCaptions.at(std::size_t(kind));
}

QString MessageButtonCaption(TMsgDlgBtn button) {
    EnsureTexts();
    return GButtonCaptions.at(std::size_t(button));
}

QString MessageButtonName(TMsgDlgBtn button) {
    return QString::fromLatin1(GButtons.at(std::size_t(button)).Name);
}

TModalResult MessageButtonResult(TMsgDlgBtn button) {
    return GButtons.at(std::size_t(button)).Result;
}

TSkinMessageForm::TSkinMessageForm(QWidget* owner) : QDialog(owner), FClient(new QWidget(this)) {
    InstallAccessibleRoles();
    setObjectName(QStringLiteral("SkinMessageForm"));
    FClient->setObjectName(QStringLiteral("ClientArea"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FClient);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
}

void TSkinMessageForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Escape presses the cancel button, whose result may be No or OK rather than Cancel.
        if (CancelButton != nullptr) {
            CancelButton->click();
        }
        event->accept();
        return;
    }
    // A plain letter answers as Alt and that letter does: Y for Yes, N for No.
    if (event->modifiers() == Qt::NoModifier && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) {
        const QKeySequence withAlt(QKeyCombination(Qt::AltModifier, Qt::Key(event->key())));
        for (QPushButton* button : findChildren<QPushButton*>()) {
            if (button->isVisible() && button->isEnabled() && QKeySequence::mnemonic(button->text()) == withAlt) {
                button->click();
                event->accept();
                return;
            }
        }
    }
    QDialog::keyPressEvent(event);
}

void TSkinMessageForm::reject() {
    // Closed without a button, by the frame or the system.
    done(mrCancel);
}

QString MessageLines(const QString& message) {
    QString lines;
    lines.reserve(message.size());
    for (qsizetype i = 0; i < message.size(); ++i) {
        const QChar c = message[i];
        if (c != u'\r' && c != u'\n') {
            lines += c;
            continue;
        }
        lines += u'\n';
        // The other half of a two-character break.
        if (i + 1 < message.size() && (message[i + 1] == u'\r' || message[i + 1] == u'\n') && message[i + 1] != c) {
            ++i;
        }
    }
    return lines;
}

TSkinMessage::TSkinMessage(QObject* owner) : QObject(owner) {
    DefaultFont = QFont(QStringLiteral("Arial"));
    DefaultFont.setPixelSize(14);
    DefaultButtonFont = DefaultFont;
}

TModalResult TSkinMessage::ShowModalMessage(const QString& message, TMsgDlgType kind, TMsgDlgButtons buttons,
                                            int helpContext) {
    EnsureTexts();
    TSkinMessageForm form(nullptr);
    const std::size_t kindIndex = std::clamp(int(kind), 0, 4);
    const TKindInfo& kindInfo = GKinds[kindIndex];
    form.setWindowTitle(kind == mtCustom ? Application::Title()
                                         : ThemedText(SkinData, kindInfo.ResourceKey, GKindCaptions[kindIndex]));
    QWidget* client = form.FClient;
    TSkinForm* frame = SkinData != nullptr ? new TSkinForm(&form, SkinData, TSkinFormKind::MessageBox) : nullptr;

    int buttonHeight = kDefaultButtonHeight;
    if (CtrlSkinData != nullptr) {
        buttonHeight = CtrlSkinData->ButtonPictureHeight().value_or(kDefaultButtonHeight);
    }
    int count = 0;
    for (int bit = 0; bit < mbButtonCount; ++bit) {
        if (buttons & (1u << bit)) {
            ++count;
        }
    }
    const int rowWidth = count == 0 ? 0 : count * kButtonWidth + (count - 1) * kButtonGap;

    auto* label = new QLabel(MessageLines(message), client);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setFont(DefaultFont);
    if (CtrlSkinData != nullptr) {
        SetSkinDataName(label, MessageLabelSkinDataName);
    }
    label->ensurePolished();
    label->adjustSize();
    label->move(50, 15);

    // Read out with the box: its kind and its text.
    form.setAccessibleDescription(label->text());
    auto* image = new QLabel(client);
    image->setObjectName(QStringLiteral("Image"));
    image->setFixedSize(32, 32);
    if (kindInfo.HasIcon) {
        image->setAccessibleName(form.windowTitle());
        // Drawn for the screen it shows on, so that it is sharp at any scale.
        image->setPixmap(MessageKindIcon(kindInfo.Icon).pixmap(QSize(32, 32), image->devicePixelRatioF()));
    }
    image->move(5, std::max(10, label->y() + label->height() / 2 - 16));

    int clientHeight = buttonHeight + label->height() + 50;
    int clientWidth = std::max(rowWidth, 50 + label->width()) + 40;
    if (frame != nullptr && frame->FrameActive()) {
        // The outer width stays within what the theme's frame allows.
        const int extent = TSkinForm::FrameMargins.left() + TSkinForm::FrameMargins.right();
        const int outer = std::clamp(clientWidth + extent, SkinData->FrameMinWidth(),
                                     std::max(SkinData->FrameMinWidth(), SkinData->FrameMaxWidth()));
        clientWidth = outer - extent;
    }
    client->setFixedSize(clientWidth, clientHeight);

    const int defaultBit = (buttons & (1u << mbOK)) ? mbOK : (buttons & (1u << mbYes)) ? mbYes : mbRetry;
    const int cancelBit = (buttons & (1u << mbCancel)) ? mbCancel : (buttons & (1u << mbNo)) ? mbNo : mbOK;
    int left = (clientWidth - rowWidth) / 2;
    const int top = clientHeight - buttonHeight - 10;
    QPushButton* defaultButton = nullptr;
    for (int bit = 0; bit < mbButtonCount; ++bit) {
        if (!(buttons & (1u << bit))) {
            continue;
        }
        const auto button = TMsgDlgBtn(bit);
        const TButtonInfo& info = GButtons[std::size_t(bit)];
        auto* push =
            new QPushButton(ThemedText(CtrlSkinData, info.ResourceKey, GButtonCaptions[std::size_t(bit)]), client);
        push->setObjectName(QString::fromLatin1(info.Name));
        push->setFont(DefaultButtonFont);
        push->setFocusPolicy(Qt::StrongFocus);
        push->setGeometry(left, top, kButtonWidth, buttonHeight);
        if (CtrlSkinData != nullptr) {
            SetSkinDataName(push, ButtonSkinDataName);
        }
        left += kButtonWidth + kButtonGap;
        if (button == mbHelp) {
            push->setAutoDefault(false);
            QObject::connect(push, &QPushButton::clicked, &form, [&form] {
                if (HelpHandler) {
                    Application::Dispatch([&form] { HelpHandler(form.HelpContext); });
                }
            });
            continue;
        }
        const TModalResult result = info.Result;
        QObject::connect(push, &QPushButton::clicked, &form, [&form, result] { form.done(result); });
        if (bit == defaultBit) {
            push->setDefault(true);
            defaultButton = push;
        }
        if (bit == cancelBit) {
            form.CancelButton = push;
        }
    }

    form.HelpContext = helpContext;
    form.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        form.move(desktop.center() - QPoint(form.width() / 2, form.height() / 2));
    }
    if (defaultButton != nullptr) {
        defaultButton->setFocus();
    }
    return form.exec();
}
