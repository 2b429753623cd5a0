#include "ui/ProductArt.h"

#include <QImageReader>

// The pictures live in a static library: register its resources before the first use. (Outside any
// namespace: Q_INIT_RESOURCE declares a global function.)
static void InitArt() {
    static const bool done = [] {
        Q_INIT_RESOURCE(art);
        return true;
    }();
    (void)done;
}

// Both pictures are PNG, which Qt reads itself. A reader left to guess the format first loads every image
// plugin of the system to ask it; one told the format and not to guess loads none.
static QPixmap ReadPng(const QString& path) {
    InitArt();
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QPixmap ProductPanelPicture() {
    return ReadPng(QStringLiteral(":/vellicor/panel.png"));
}

QPixmap ProductLogo() {
    return ReadPng(QStringLiteral(":/vellicor/logo.png"));
}
