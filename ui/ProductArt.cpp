#include "ui/ProductArt.h"

// The pictures live in a static library: register its resources before the first use. (Outside any
// namespace: Q_INIT_RESOURCE declares a global function.)
static void InitArt() {
    static const bool done = [] {
        Q_INIT_RESOURCE(art);
        return true;
    }();
    (void)done;
}

QPixmap ProductPanelPicture() {
    InitArt();
    return QPixmap(QStringLiteral(":/vellicor/panel.png"));
}

QPixmap ProductLogo() {
    InitArt();
    return QPixmap(QStringLiteral(":/vellicor/logo.png"));
}
