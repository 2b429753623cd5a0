#include "ui/OpenWebPage.h"

#include <QDesktopServices>
#include <QUrl>

void OpenWebPage(QWidget* /*owner*/, const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}
