// Renders the program's windows in every theme, offscreen, from the real classes: the main window,
// the question box, the Add file types dialog and the About dialog. Used for the README's gallery.
//   vellicor_screenshots <output folder> <demo user.reg> <folder holding Extensions.txt>
#include "outlook/ExtensionsFile.h"
#include "settings/uSettings.h"
#include "themes/ThemePackages.h"
#include "ui/Actions.h"
#include "ui/Application.h"
#include "ui/Product.h"
#include "ui/SkinMessage.h"
#include "ui/uDMSkins.h"
#include "ui/uMainForm.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

/// Saves the next modal window that opens, then closes it.
void GrabNextModal(const QString& file, const std::function<void(QWidget*)>& prepare = {}) {
    QTimer::singleShot(50, [file, prepare] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            std::fprintf(stderr, "no modal window for %s\n", qPrintable(file));
            return;
        }
        if (prepare) {
            prepare(modal);
        }
        Settle();
        modal->grab().save(file);
        modal->close();
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <output folder> <demo user.reg> <folder of Extensions.txt>\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    QDir(scratch.path()).mkpath(QStringLiteral("prefix"));
    QFile::copy(QString::fromLocal8Bit(argv[2]), scratch.filePath(QStringLiteral("prefix/user.reg")));
    qputenv("WINEPREFIX", scratch.filePath(QStringLiteral("prefix")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit());

    InitializeSettingsUnit();
    InitializeSkinMessageTexts();
    QApplication app(argc, argv);
    Application::SetTitle(QString::fromLatin1(kApplicationTitle));
    SetSettingsReporter([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    SetPredefinedFileTypesFolderForTesting(std::string(argv[3]) + "/");
    Settings = new TSettings();

    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));
    auto* form = new TMainForm();
    form->show();
    form->findChild<QListWidget*>(QStringLiteral("lbAllowed"))->setCurrentRow(1);
    form->findChild<TActionList*>()->UpdateActions(); // as the next idle moment would
    Settle();
    for (const themes::TThemePackage& theme : themes::Packages()) {
        const QString id = QString::fromLatin1(theme.Identifier);
        form->ApplyTheme(id);
        // The closed dialogs took the activation with them: show the window as the user sees it.
        form->activateWindow();
        Settle();
        form->grab().save(out.filePath(QStringLiteral("main-%1.png").arg(id)));

        GrabNextModal(out.filePath(QStringLiteral("message-%1.png").arg(id)));
        form->ShowMessageDialog(QStringLiteral("Save changes before exit?"), mtConfirmation,
                                ButtonSet({mbYes, mbNo, mbCancel}), 0);

        GrabNextModal(out.filePath(QStringLiteral("add-%1.png").arg(id)), [](QWidget* modal) {
            if (auto* list = modal->findChild<QTreeWidget*>(QStringLiteral("lvExtensions"))) {
                list->topLevelItem(2)->setCheckState(0, Qt::Checked);
                list->setCurrentItem(list->topLevelItem(3));
            }
        });
        form->ExecuteAddFileTypeForm();

        GrabNextModal(out.filePath(QStringLiteral("about-%1.png").arg(id)));
        form->findChild<TAction*>(QStringLiteral("actHelpAbout"))->trigger();
    }
    delete form;
    FinalizeSettingsUnit();
    return 0;
}
