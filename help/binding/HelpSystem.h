#pragma once

#include <memory>
#include <string>
#include <vector>

/// A help viewer as the application's help system sees it.
class ICustomHelpViewer {
public:
    virtual ~ICustomHelpViewer() = default;
    virtual std::string GetViewerName() const = 0;
    /// Whether this viewer can show help context `context` of `helpFile`.
    virtual bool UnderstandsContext(int context, const std::string& helpFile) = 0;
    /// Shows help context `context` of `helpFile`.
    virtual void DisplayHelpContext(int context, const std::string& helpFile) = 0;
    /// The program ends: close every help window.
    virtual void ShutDown() = 0;
};

/// The application's help system: takes context-help requests and hands each to a registered viewer that
/// accepts it.
class THelpManager {
public:
    void RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer);
    void UnregisterViewer(const ICustomHelpViewer* viewer);
    std::size_t ViewerCount() const { return FViewers.size(); }

    /// Shows help context `context` of `helpFile` through the first viewer that accepts it. Raises
    /// Exception "No context-sensitive help installed" when no viewer is registered and "No help found for
    /// context" when none accepts.
    void ShowContextHelp(int context, const std::string& helpFile);
    /// The file of the last request.
    const std::string& CurrentHelpFile() const { return FCurrentHelpFile; }

private:
    std::vector<std::shared_ptr<ICustomHelpViewer>> FViewers;
    std::string FCurrentHelpFile;
};

/// The program's one help system.
THelpManager& HelpSystem();
