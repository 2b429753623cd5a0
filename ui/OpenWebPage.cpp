#include "ui/OpenWebPage.h"

#include "platform/Shell.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

void OpenWebPage(QWidget* owner, const std::string& address) {
    if (platform::ShellOpen(owner != nullptr ? static_cast<std::uintptr_t>(owner->window()->winId()) : 0, address)) {
        return;
    }
    const QString url = QString::fromStdString(address);
    if (QDesktopServices::openUrl(QUrl(url))) {
        return;
    }
    // Where no browser can be started, the desktop says nothing, as the Windows shell would: this stands
    // in for the shell's own report, in a plain box of the platform, and gives the address to copy.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("No web browser"),
                    QStringLiteral("No web browser could be started to open %1.\nOpen that address in a browser "
                                   "yourself.")
                        .arg(url),
                    QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("NoBrowserBox"));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}
