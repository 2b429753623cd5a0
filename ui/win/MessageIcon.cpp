#include "ui/MessageIcon.h"

#include <QApplication>

QIcon MessageKindIcon(QStyle::StandardPixmap kind) {
    // The Windows style hands out the system's own icons.
    return QApplication::style()->standardIcon(kind);
}
