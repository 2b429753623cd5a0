#include "app/Program.h"

#include "app/Display.h"
#include "help/binding/HTMLHelpViewer.h"
#include "outlook/OutlookInteraction.h"
#include "platform/Registry.h"
#include "platform/WinePrefixes.h"
#include "settings/uSettings.h"
#include "ui/Application.h"
#include "ui/Product.h"
#include "ui/SkinMessage.h"
#include "ui/uMainForm.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>

#include <cstdio>
#include <memory>
#include <string_view>

namespace {

/// The settings store reports in the toolkit's plain message dialog: the text, one OK, the title.
void ShowPlainMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, Application::Title(), ToQString(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("PlainMessageDialog"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

/// "--prefix DIR" or "--prefix=DIR": the Wine prefix to edit, chosen before anything reads the hive. Empty
/// when all is well, else what is wrong.
std::string ChoosePrefix(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string folder;
        if (arg == "--prefix") {
            if (i + 1 >= argc) {
                return "The option --prefix needs the folder of a Wine prefix.";
            }
            folder = argv[++i];
        } else if (arg.starts_with("--prefix=")) {
            folder = arg.substr(9);
        } else {
            continue;
        }
        std::string error;
        if (!platform::SelectWinePrefix(folder, error)) {
            return error;
        }
    }
    return {};
}

} // namespace

int RunProgram(int argc, char** argv, const std::function<void()>& whenShown) {
    if (const std::string problem = ChoosePrefix(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }

    // A large hive takes a while to read: it is read while the windows are set up, keeping only where the keys
    // that the program reads are.
    platform::ReadCurrentUserHiveAhead(OutlookRegistryKeys());

    // Module initialisation, in dependency order.
    InitializeSettingsUnit();
    InitializeSkinMessageTexts();
    RegisterHtmlHelpViewer();

    auto application = std::make_unique<QApplication>(argc, argv);
    // Only the main window's closing ends the program; a help window may outlive it until then.
    application->setQuitOnLastWindowClosed(false);
    Application::InstallFontFallbacks();
    Application::SetTitle(QString::fromLatin1(kApplicationTitle));
    Application::SetHelpFile(QString::fromLatin1(kHelpFileName));
    SetSettingsReporter(ShowPlainMessage);
    // A message box's Help button shows its help context in the application's help file.
    TSkinMessage::HelpHandler = [](int context) {
        HelpSystem().ShowContextHelp(context, FromQString(Application::HelpFile()));
    };

    Settings = new TSettings();
    Settings->Load();

    auto* mainForm = new TMainForm();
    QObject::connect(mainForm, &TMainForm::Closed, application.get(), &QApplication::quit);
    // Logging off ends the program without closing its window: edits get the close question first,
    // and refusing it keeps the session running.
    QObject::connect(application.get(), &QGuiApplication::commitDataRequest, mainForm,
                     [mainForm](QSessionManager& manager) {
                         if (!mainForm->IsModified() || !manager.allowsInteraction()) {
                             return;
                         }
                         const bool mayEnd = mainForm->CloseQuery();
                         manager.release();
                         if (!mayEnd) {
                             manager.cancel();
                         }
                     });
    mainForm->show();
    if (whenShown) {
        whenShown();
    }
    application->exec();

    // Finalisation, in reverse order of initialisation. Nothing is saved here.
    FinalizeSettingsUnit();
    FinalizeHtmlHelpViewer(); // closes every help window
    delete mainForm;          // the application object's windows, with the Outlook model
    application.reset();
    ReleaseHtmlHelpLibrary(); // last of all
    return 0;
}
