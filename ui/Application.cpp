#include "ui/Application.h"

#include "base/SysUtils.h"

#include <QApplication>
#include <QMessageBox>

namespace Application {
namespace {
QString GTitle;
QString GHelpFile;
} // namespace

QString Title() {
    return GTitle;
}
void SetTitle(const QString& title) {
    GTitle = title;
    QApplication::setApplicationName(title);
}

QString HelpFile() {
    return GHelpFile;
}
void SetHelpFile(const QString& fileName) {
    GHelpFile = fileName;
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + u'.';
    }
    return message;
}

void ShowException(const QString& message) {
    QMessageBox box(QMessageBox::Critical, GTitle, ErrorBoxText(message), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ApplicationErrorBox"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool Dispatch(const std::function<void()>& handler) noexcept {
    QString message;
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        message = ToQString(MessageOf(error));
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    try {
        ShowException(message);
    } catch (...) {
        // Nothing is left to report to; the program goes on.
    }
    return false;
}

} // namespace Application

QString ToQString(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

std::string FromQString(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}
