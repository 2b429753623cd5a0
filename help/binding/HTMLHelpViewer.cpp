#include "help/binding/HTMLHelpViewer.h"

#include <memory>

void THTMLHelpViewer::DisplayHelpContext(int context, const std::string& helpFile) {
    if (!FInitialized) {
        FLibrary.HtmlHelp(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<std::uintptr_t>(&FCookie));
        FInitialized = true;
    }
    FLibrary.HtmlHelp(nullptr, helpFile.c_str(), HH_DISPLAY_TOPIC, 0);
    FLibrary.HtmlHelp(nullptr, helpFile.c_str(), HH_HELP_CONTEXT, static_cast<std::uintptr_t>(context));
}

void THTMLHelpViewer::ShutDown() {
    FLibrary.HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

namespace {

std::shared_ptr<THTMLHelpViewer>& RegisteredViewer() {
    static std::shared_ptr<THTMLHelpViewer> viewer;
    return viewer;
}

} // namespace

void RegisterHtmlHelpViewer() {
    auto& viewer = RegisteredViewer();
    if (viewer == nullptr) {
        viewer = std::make_shared<THTMLHelpViewer>(HtmlHelpLibrary());
        HelpSystem().RegisterViewer(viewer);
    }
}

void ShowHelpContents() {
    ShowHelpContext(kContentsHelpContext);
}

void ShowHelpContext(int context) {
    HelpSystem().ShowContextHelp(context, kHelpFileName);
}

void FinalizeHtmlHelpViewer() {
    auto& viewer = RegisteredViewer();
    if (viewer != nullptr) {
        viewer->ShutDown();
        HelpSystem().UnregisterViewer(viewer.get());
        viewer.reset();
    }
}

void ReleaseHtmlHelpLibrary() {
    HtmlHelpLibrary().Release();
}
