#include "ui/Application.h"

#include "base/SysUtils.h"

#include <QApplication>
#include <QFont>
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

void InstallFontFallbacks() {
    // Named by About, the message boxes and the themes' caption fonts, and the system's UI faces themselves
    // (Wine names "MS Shell Dlg" without having the Tahoma it stands for). Each is tried before its
    // substitutes.
    static const char* const faces[] = {"Tahoma",         "Arial",         "Verdana",
                                        "Segoe UI",       "Trebuchet MS",  "MS Shell Dlg",
                                        "MS Shell Dlg 2", "MS Sans Serif", "Microsoft Sans Serif"};
    QStringList fallbacks = QApplication::font().families();
    fallbacks << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
    for (const char* face : faces) {
        const QString family = QString::fromLatin1(face);
        QStringList substitutes = fallbacks;
        substitutes.removeAll(family);
        QFont::insertSubstitutions(family, substitutes);
    }
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
