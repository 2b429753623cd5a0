#include "help/binding/HelpSystem.h"

#include "base/SysUtils.h"

#include <algorithm>

void THelpManager::RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer) {
    FViewers.push_back(std::move(viewer));
}

void THelpManager::UnregisterViewer(const ICustomHelpViewer* viewer) {
    std::erase_if(FViewers, [viewer](const auto& registered) { return registered.get() == viewer; });
}

void THelpManager::ShowContextHelp(int context, const std::string& helpFile) {
    FCurrentHelpFile = helpFile;
    if (FViewers.empty()) {
        throw Exception("No context-sensitive help installed");
    }
    // A copy: a viewer may register or unregister viewers while it shows help.
    const auto viewers = FViewers;
    for (const auto& viewer : viewers) {
        if (viewer->UnderstandsContext(context, helpFile)) {
            viewer->DisplayHelpContext(context, helpFile);
            return;
        }
    }
    throw Exception("No help found for context");
}

THelpManager& HelpSystem() {
    static THelpManager manager;
    return manager;
}
