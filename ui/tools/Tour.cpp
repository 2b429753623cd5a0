// Shows the program's windows one after another on the real display, from the real classes, so that
// they can be photographed as the platform draws them (frames, fonts, taskbar, DPI): the main window in
// each theme given, then in the first theme the Add file types dialog in both modes, the About dialog,
// a question box and the application error box. At each scene it writes <folder>/<scene>.ready and
// waits until the caller has written <folder>/<scene>.done (60 s at most).
//   vellicor_tour <folder> <folder holding Extensions.txt> <theme identifier>...
// The registry and the settings are the user's (a scratch Wine prefix, when photographing).
#include "outlook/ExtensionsFile.h"
#include "settings/uSettings.h"
#include "ui/Actions.h"
#include "ui/Application.h"
#include "ui/Product.h"
#include "ui/SkinMessage.h"
#include "ui/uAddFileType.h"
#include "ui/uMainForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

QDir Folder;

void Settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 500) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

/// Announces a scene and keeps the windows alive until the caller has taken it.
void Scene(const QString& name) {
    Settle();
    QFile ready(Folder.filePath(name + QStringLiteral(".ready")));
    ready.open(QIODevice::WriteOnly);
    ready.close();
    std::printf("scene %s\n", qPrintable(name));
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(Folder.filePath(name + QStringLiteral(".done"))) && timer.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 100);
    }
}

/// Runs `act` on the next modal window, from inside its own modal loop.
void AtNextModal(const std::function<void(QWidget*)>& act) {
    QTimer::singleShot(300, [act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else {
            std::fprintf(stderr, "no modal window opened\n");
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <folder> <folder of Extensions.txt> <theme identifier>...\n", argv[0]);
        return 2;
    }
    InitializeSettingsUnit();
    InitializeSkinMessageTexts();
    QApplication app(argc, argv);
    Application::InstallFontFallbacks();
    Folder = QDir(QString::fromLocal8Bit(argv[1]));
    Application::SetTitle(QString::fromLatin1(kApplicationTitle));
    SetSettingsReporter([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    SetPredefinedFileTypesFolderForTesting(std::string(argv[2]) + "/");
    Settings = new TSettings();

    auto* form = new TMainForm();
    form->show();
    form->findChild<QListWidget*>(QStringLiteral("lbAllowed"))->setCurrentRow(1);
    form->findChild<TActionList*>()->UpdateActions(); // as the next idle moment would
    for (int i = argc - 1; i >= 3; --i) {             // the first theme last: the dialogs follow in it
        const QString id = QString::fromLatin1(argv[i]);
        form->ApplyTheme(id);
        form->activateWindow();
        Scene(QStringLiteral("main-%1").arg(id));
    }

    AtNextModal([](QWidget* modal) {
        if (auto* list = modal->findChild<QTreeWidget*>(QStringLiteral("lvExtensions"))) {
            list->topLevelItem(2)->setCheckState(0, Qt::Checked);
            list->setCurrentItem(list->topLevelItem(3));
        }
        Scene(QStringLiteral("add-list"));
        if (auto* manual = modal->findChild<QRadioButton*>(QStringLiteral("rbManual"))) {
            manual->click();
        }
        if (auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("edtInputExtensions"))) {
            edit->setText(QStringLiteral(".exe .js"));
        }
        Scene(QStringLiteral("add-manual"));
        modal->close();
    });
    form->ExecuteAddFileTypeForm();

    AtNextModal([](QWidget* modal) {
        Scene(QStringLiteral("about"));
        modal->close();
    });
    form->findChild<TAction*>(QStringLiteral("actHelpAbout"))->trigger();

    AtNextModal([](QWidget* modal) {
        Scene(QStringLiteral("question"));
        modal->close();
    });
    form->ShowMessageDialog(QStringLiteral("Save changes before exit?"), mtConfirmation,
                            ButtonSet({mbYes, mbNo, mbCancel}), 0);

    AtNextModal([](QWidget* modal) {
        Scene(QStringLiteral("error"));
        modal->close();
    });
    Application::ShowException(QStringLiteral("Error writing to Registry"));

    delete form;
    FinalizeSettingsUnit();
    return 0;
}
