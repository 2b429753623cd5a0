#pragma once

#include <QPixmap>

/// The picture of the main window's logo column (241 x 300).
QPixmap ProductPanelPicture();
/// The product's logo of the About dialog (100 x 128, transparent where it is white).
QPixmap ProductLogo();
