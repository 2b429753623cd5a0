#include "base/SysUtils.h"
#include "help/binding/HTMLHelpViewer.h"
#include "help/binding/HelpSystem.h"
#include "help/binding/HtmlHelpLibrary.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct TCall {
    void* Caller;
    std::string File; // "(null)" when none
    unsigned Command;
    std::uintptr_t Data;
    friend bool operator==(const TCall&, const TCall&) = default;
};

// A stand-in for hhctrl.ocx that records what the binding asks of it.
struct TFakeLibrary {
    bool Loadable = true;
    bool HasHtmlHelpA = true;
    bool HasHtmlHelpW = true;
    int Loads = 0;
    int Frees = 0;
    std::map<std::string, int> Lookups;
    std::vector<std::string> LoadedNames;
    std::vector<TCall> Calls;

    static inline TFakeLibrary* Current = nullptr;
    static void* PLATFORM_WINAPI HtmlHelpA(void* caller, const char* file, unsigned command, std::uintptr_t data) {
        Current->Calls.push_back({caller, file == nullptr ? "(null)" : file, command, data});
        return nullptr;
    }
    static void* PLATFORM_WINAPI HtmlHelpW(void*, const wchar_t*, unsigned, std::uintptr_t) {
        ADD_FAILURE() << "HtmlHelpW is never called";
        return nullptr;
    }

    TLibraryLoader Loader() {
        Current = this;
        return {[this](const std::string& name) -> platform::TModuleHandle {
                    ++Loads;
                    LoadedNames.push_back(name);
                    return Loadable ? this : nullptr;
                },
                [this](platform::TModuleHandle module, const char* name) -> void* {
                    EXPECT_EQ(module, this);
                    ++Lookups[name];
                    if (std::string(name) == "HtmlHelpA") {
                        return HasHtmlHelpA ? reinterpret_cast<void*>(&TFakeLibrary::HtmlHelpA) : nullptr;
                    }
                    if (std::string(name) == "HtmlHelpW") {
                        return HasHtmlHelpW ? reinterpret_cast<void*>(&TFakeLibrary::HtmlHelpW) : nullptr;
                    }
                    return nullptr;
                },
                [this](platform::TModuleHandle module) {
                    EXPECT_EQ(module, this);
                    ++Frees;
                }};
    }
};

TCall Display() {
    return {nullptr, "Help.chm", HH_DISPLAY_TOPIC, 0};
}
TCall Context() {
    return {nullptr, "Help.chm", HH_HELP_CONTEXT, 1};
}

TEST(HtmlHelpTest, InitialisesOnceAndShowsTheTwoDisplayCommandsInOrderOnEveryRequest) {
    TFakeLibrary fake;
    THtmlHelpLibrary library(fake.Loader());
    THTMLHelpViewer viewer(library);
    THelpManager help;
    help.RegisterViewer(std::shared_ptr<ICustomHelpViewer>(&viewer, [](ICustomHelpViewer*) {}));

    help.ShowContextHelp(1, "Help.chm");
    help.ShowContextHelp(1, "Help.chm");
    ASSERT_EQ(fake.Calls.size(), 5u);
    EXPECT_EQ(fake.Calls[0].Command, HH_INITIALIZE);
    EXPECT_EQ(fake.Calls[0].Caller, nullptr);
    EXPECT_EQ(fake.Calls[0].File, "(null)");
    EXPECT_NE(fake.Calls[0].Data, 0u); // the address HTML Help writes its cookie to
    EXPECT_EQ(std::vector<TCall>(fake.Calls.begin() + 1, fake.Calls.end()),
              (std::vector<TCall>{Display(), Context(), Display(), Context()}));
    EXPECT_EQ(fake.Loads, 1);
    EXPECT_EQ(fake.LoadedNames, std::vector<std::string>{"hhctrl.ocx"});
    EXPECT_EQ((fake.Lookups), (std::map<std::string, int>{{"HtmlHelpA", 1}, {"HtmlHelpW", 1}}));
    EXPECT_EQ(help.CurrentHelpFile(), "Help.chm");

    viewer.ShutDown();
    EXPECT_EQ(fake.Calls.back(), (TCall{nullptr, "(null)", HH_CLOSE_ALL, 0}));
    EXPECT_EQ(fake.Frees, 0);
    library.Release();
    EXPECT_EQ(fake.Frees, 1);
    library.Release();
    EXPECT_EQ(fake.Frees, 1);
}

TEST(HtmlHelpTest, DoesNothingWhileTheLibraryCannotBeLoadedAndTriesAgainAtTheNextRequest) {
    TFakeLibrary fake;
    fake.Loadable = false;
    THtmlHelpLibrary library(fake.Loader());
    THTMLHelpViewer viewer(library);

    viewer.DisplayHelpContext(1, "Help.chm");
    EXPECT_EQ(fake.Loads, 3); // every command of the request tried: initialise, display topic, help context
    EXPECT_TRUE(fake.Lookups.empty());
    EXPECT_TRUE(fake.Calls.empty());
    viewer.DisplayHelpContext(1, "Help.chm");
    EXPECT_EQ(fake.Loads, 5);
    EXPECT_TRUE(fake.Calls.empty());

    fake.Loadable = true; // say the user installs HTML Help meanwhile
    viewer.DisplayHelpContext(1, "Help.chm");
    // Initialisation was noted with the first request already, so only the display commands follow.
    EXPECT_EQ(fake.Calls, (std::vector<TCall>{Display(), Context()}));
    library.Release();
    EXPECT_EQ(fake.Frees, 1);
}

TEST(HtmlHelpTest, NeverLooksAgainForAMissingEntryPointOnceLoaded) {
    for (const bool missingA : {true, false}) {
        SCOPED_TRACE(missingA ? "without HtmlHelpA" : "without HtmlHelpW");
        TFakeLibrary fake;
        fake.HasHtmlHelpA = !missingA;
        fake.HasHtmlHelpW = missingA;
        THtmlHelpLibrary library(fake.Loader());
        THTMLHelpViewer viewer(library);
        viewer.DisplayHelpContext(1, "Help.chm");
        viewer.DisplayHelpContext(1, "Help.chm");
        viewer.ShutDown();
        EXPECT_EQ(fake.Loads, 1);
        EXPECT_EQ((fake.Lookups), (std::map<std::string, int>{{"HtmlHelpA", 1}, {"HtmlHelpW", 1}}));
        EXPECT_TRUE(fake.Calls.empty());
        library.Release();
        EXPECT_EQ(fake.Frees, 1);
    }
}

TEST(HtmlHelpTest, ClosesEveryHelpWindowAtTheEndAlsoWhenHelpWasNeverAskedFor) {
    TFakeLibrary fake;
    THtmlHelpLibrary library(fake.Loader());
    THTMLHelpViewer viewer(library);
    viewer.ShutDown(); // loads the library for this one command
    EXPECT_EQ(fake.Loads, 1);
    EXPECT_EQ(fake.Calls, (std::vector<TCall>{{nullptr, "(null)", HH_CLOSE_ALL, 0}}));
    library.Release();
    EXPECT_EQ(fake.Frees, 1);

    TFakeLibrary never;
    { THtmlHelpLibrary unused(never.Loader()); }
    EXPECT_EQ(never.Loads, 0);
    EXPECT_EQ(never.Frees, 0);
}

class TRefusingViewer : public ICustomHelpViewer {
public:
    std::string GetViewerName() const override { return "refuses"; }
    bool UnderstandsContext(int, const std::string&) override { return false; }
    void DisplayHelpContext(int, const std::string&) override { ADD_FAILURE(); }
    void ShutDown() override {}
};

TEST(HtmlHelpTest, ReportsAHelpSystemWithoutAViewerThatAccepts) {
    THelpManager help;
    try {
        help.ShowContextHelp(1, "Help.chm");
        ADD_FAILURE() << "nothing raised";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No context-sensitive help installed");
    }
    EXPECT_EQ(help.CurrentHelpFile(), "Help.chm");
    auto refusing = std::make_shared<TRefusingViewer>();
    help.RegisterViewer(refusing);
    try {
        help.ShowContextHelp(1, "Help.chm");
        ADD_FAILURE() << "nothing raised";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No help found for context");
    }
    help.UnregisterViewer(refusing.get());
    EXPECT_EQ(help.ViewerCount(), 0u);
}

} // namespace
