#include "ui/uAboutForm.h"

#include "platform/WinePrefixes.h"
#include "ui/DemoPrefix.h"

#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "ui/Application.h"
#include "ui/Product.h"
#include "ui/ProductArt.h"
#include "ui/linklabel/LinkLabel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutForm::TAboutForm(TSkinData& skinData, std::function<void()> openProductWebPage, QWidget* parent)
    : QDialog(parent), FOpenProductWebPage(std::move(openProductWebPage)) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About Vellicor"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(376, 161);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap logo = ProductLogo();
    Image1->setPixmap(logo);
    Image1->setGeometry(QRect(QPoint(8, 8), logo.size())); // the control takes the picture's size

    // The product name keeps its own font whatever the theme's; its colour follows the theme.
    lblProductName = new QLabel(QStringLiteral("Vellicor"), client);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont nameFont(QStringLiteral("Tahoma"));
    nameFont.setPointSize(8);
    nameFont.setBold(true);
    lblProductName->setFont(nameFont);
    lblProductName->setStyleSheet(QStringLiteral("font-family: Tahoma; font-size: 8pt; font-weight: bold;"));
    lblProductName->setGeometry(121, 8, 247, 13);
    SetSkinDataName(lblProductName, QStringLiteral("stdlabel"));

    // Its version and its maker, under the name.
    lblVersion = new QLabel(QStringLiteral("Version %1\nKorvane").arg(QStringLiteral(VELLICOR_VERSION)), client);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(121, 27, 247, 30);
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetSkinDataName(lblVersion, QStringLiteral("stdlabel"));

    // Which user.reg the program edits, where that is a Wine prefix's rather than the system's registry.
    if (const std::string prefix = platform::CurrentWinePrefix(); !prefix.empty()) {
        lblWinePrefix = new QLabel(client);
        lblWinePrefix->setObjectName(QStringLiteral("lblWinePrefix"));
        lblWinePrefix->setGeometry(121, 62, 247, 30);
        lblWinePrefix->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        SetSkinDataName(lblWinePrefix, QStringLiteral("stdlabel"));
        const QString folder = ToQString(prefix);
        const QString heading =
            IsDemoWinePrefix(prefix) ? QStringLiteral("Wine prefix (a demo):") : QStringLiteral("Wine prefix:");
        lblWinePrefix->setText(heading + QLatin1Char('\n') +
                               lblWinePrefix->fontMetrics().elidedText(folder, Qt::ElideMiddle, 247));
        lblWinePrefix->setToolTip(folder);
    }

    LinkLabel2 = new linklabel::TLinkLabel(client);
    LinkLabel2->setObjectName(QStringLiteral("LinkLabel2"));
    LinkLabel2->setGeometry(121, 128, 106, 13);
    LinkLabel2->SetTransparent(true);
    // The link takes the theme's link colour: the classic blue and purple vanish on the dark themes.
    LinkLabel2->SetLinkColor(linklabel::clHotLight);
    LinkLabel2->SetLinkColorHot(linklabel::clHotLight);
    LinkLabel2->SetCaption(QStringLiteral("<link>%1</link>").arg(QString::fromLatin1(kProductWebHost)));
    LinkLabel2->SetOnLinkClick([this](linklabel::TCustomLinkLabel*, int, const QString&, const QString&) {
        Application::Dispatch([this] { LinkLabel1LinkClick(); });
    });

    btnOK = new QPushButton(QStringLiteral("OK"), client);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(293, 128, 75, 25);
    btnOK->setDefault(true);
    SetSkinDataName(btnOK, QStringLiteral("button"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    btnOK->setFocus();

    for (QWidget* child : client->findChildren<QWidget*>()) {
        // OK and the link are the tab stops: without the focus the link cannot be opened from the keyboard.
        if (child != btnOK && child != LinkLabel2) {
            child->setFocusPolicy(Qt::NoFocus);
        }
    }
    new TSkinForm(this, &skinData, TSkinFormKind::Dialog);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Application::Dispatch([this] { FormShow(); });
}

void TAboutForm::FormShow() {
    AdjustClientSize(this);
}

void TAboutForm::reject() {
    // OK is the cancel button too: Escape and the frame close the dialog as OK does.
    accept();
}

void TAboutForm::LinkLabel1LinkClick() {
    if (FOpenProductWebPage) {
        FOpenProductWebPage();
    }
}

void ShowAboutForm(TSkinData& skinData, std::function<void()> openProductWebPage, QWidget* owner) {
    TAboutForm form(skinData, std::move(openProductWebPage), owner);
    form.exec();
}
