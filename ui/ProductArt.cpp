#include "ui/ProductArt.h"

QPixmap ProductPanelPicture() {
    return QPixmap(QStringLiteral(":/vellicor/panel.png"));
}

QPixmap ProductLogo() {
    return QPixmap(QStringLiteral(":/vellicor/logo.png"));
}
