#include "ui/uCheckFileType.h"

#include "help/binding/HTMLHelpViewer.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "ui/Application.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TCheckFileTypeForm::TCheckFileTypeForm(TSkinData& skinData, QWidget* parent, TSecurityLayers layers,
                                       std::vector<std::string> defaultLevel1, std::string versionName,
                                       bool unsavedEdits)
    : QDialog(parent), FLayers(std::move(layers)), FDefaultLevel1(std::move(defaultLevel1)),
      FVersionName(std::move(versionName)) {
    setObjectName(QStringLiteral("CheckFileTypeForm"));
    setWindowTitle(QStringLiteral("Check a file type"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(420, 290);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto* prompt = new QLabel(QStringLiteral("File name or extension (for example report.pdf.exe or .py):"), client);
    prompt->setObjectName(QStringLiteral("lblFileName"));
    prompt->setGeometry(12, 10, 396, 16);
    edtFileName = new QLineEdit(client);
    edtFileName->setObjectName(QStringLiteral("edtFileName"));
    edtFileName->setGeometry(12, 30, 396, 20);
    prompt->setBuddy(edtFileName);

    lblVerdict = new QLabel(client);
    lblVerdict->setObjectName(QStringLiteral("lblVerdict"));
    lblVerdict->setGeometry(12, 58, 396, 18);
    // The theme's style sheet sets the labels' font; only the weight is this label's own.
    lblVerdict->setStyleSheet(QStringLiteral("font-weight: bold;"));

    lbReasons = new QListWidget(client);
    lbReasons->setObjectName(QStringLiteral("lbReasons"));
    lbReasons->setGeometry(12, 80, 396, 140);
    lbReasons->setWordWrap(true);
    lbReasons->setSelectionMode(QAbstractItemView::NoSelection);
    lbReasons->setFocusPolicy(Qt::NoFocus);
    lbReasons->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    lblUnsaved = new QLabel(client);
    lblUnsaved->setObjectName(QStringLiteral("lblUnsaved"));
    lblUnsaved->setGeometry(12, 224, 396, 28);
    lblUnsaved->setWordWrap(true);
    lblUnsaved->setText(unsavedEdits ? QStringLiteral("The lists on screen have edits that are not saved. This shows "
                                                      "what the saved lists do: save first to check your edits.")
                                     : QStringLiteral("This shows what the saved settings make Outlook do."));

    btnHelp = new QPushButton(QStringLiteral("Help"), client);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setGeometry(252, 258, 75, 25);
    btnClose = new QPushButton(QStringLiteral("Close"), client);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(333, 258, 75, 25);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnHelp, &QPushButton::clicked, this,
            [] { Application::Dispatch([] { ShowHelpContext(kStillBlockedHelpContext); }); });
    connect(edtFileName, &QLineEdit::textChanged, this, [this] { Application::Dispatch([this] { Evaluate(); }); });
    setTabOrder(edtFileName, btnHelp);
    setTabOrder(btnHelp, btnClose);

    for (QLabel* label : {prompt, lblVerdict, lblUnsaved}) {
        SetSkinDataName(label, QStringLiteral("stdlabel"));
    }
    SetSkinDataName(edtFileName, QStringLiteral("edit"));
    SetSkinDataName(lbReasons, QStringLiteral("listbox"));
    for (QPushButton* button : {btnHelp, btnClose}) {
        SetSkinDataName(button, QStringLiteral("button"));
    }
    new TSkinForm(this, &skinData, TSkinFormKind::Dialog);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    edtFileName->setFocus();
    Evaluate();
}

void TCheckFileTypeForm::Evaluate() {
    lbReasons->clear();
    const std::string input = FromQString(edtFileName->text());
    if (input.find_first_not_of(" \t") == std::string::npos) {
        lblVerdict->setText(QStringLiteral("Type a file name or an extension."));
        return;
    }
    const TVerdict verdict = EvaluateAttachment(FLayers, input, FDefaultLevel1, FLayers.VersionNumber);
    const std::string subject = verdict.Extension.empty() ? input : verdict.Extension;
    lblVerdict->setText(ToQString(FVersionName + ", " + subject + ": " + VerdictText(verdict.Verdict)));
    for (const auto& reason : verdict.Reasons) {
        lbReasons->addItem(ToQString(reason));
    }
}
