#pragma once

#include <QIcon>
#include <QStyle>

/// The icon of a message box kind (one of QStyle's SP_MessageBox… pixmaps). Windows: the system's own.
/// Linux: drawn at whatever size and scale it is shown, so that it stays crisp on every screen.
QIcon MessageKindIcon(QStyle::StandardPixmap kind);
