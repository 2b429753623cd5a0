#pragma once

#include "help/binding/HelpSystem.h"
#include "help/binding/HtmlHelpLibrary.h"

#include <cstdint>

/// The help file, handed to HTML Help by name: HTML Help finds it (on Linux: beside the executable).
inline constexpr const char* kHelpFileName = "Help.chm";
/// The help context of Help > Contents and of F1 in the main window.
inline constexpr int kContentsHelpContext = 1;
/// The help context of "Why is a file type still blocked?": the policy notice and the Check a file type dialog.
inline constexpr int kStillBlockedHelpContext = 2;

/// Shows help through HTML Help: accepts every context of every file.
class THTMLHelpViewer : public ICustomHelpViewer {
public:
    explicit THTMLHelpViewer(THtmlHelpLibrary& library) : FLibrary(library) {}

    std::string GetViewerName() const override { return "HTMLHelpViewer"; }
    bool UnderstandsContext(int, const std::string&) override { return true; }
    /// HH_INITIALIZE before the first display, then HH_DISPLAY_TOPIC (the file's default topic) and
    /// HH_HELP_CONTEXT (the topic of `context`); their results are not examined.
    void DisplayHelpContext(int context, const std::string& helpFile) override;
    /// HH_CLOSE_ALL, so that no help window outlives the program.
    void ShutDown() override;

private:
    THtmlHelpLibrary& FLibrary;
    bool FInitialized = false;
    std::uint32_t FCookie = 0; ///< HH_INITIALIZE's cookie, written by HTML Help
};

// The program's help, in the order the program calls it.

/// Start-up, before the application object exists: creates THTMLHelpViewer and registers it with HelpSystem().
void RegisterHtmlHelpViewer();
/// Help > Contents and F1 in the main window: context 1 of "Help.chm". Failures of the help system
/// ("No context-sensitive help installed", "No help found for context") are raised as Exception.
void ShowHelpContents();
/// A topic of "Help.chm" by its help context; fails as ShowHelpContents does.
void ShowHelpContext(int context);
/// Shutdown, after the settings store is finalised: the viewer issues HH_CLOSE_ALL (loading the library if no
/// request has) and is unregistered.
void FinalizeHtmlHelpViewer();
/// Shutdown, last of all (after the application object is gone): releases the HTML Help library if loaded.
void ReleaseHtmlHelpLibrary();
