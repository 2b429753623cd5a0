// The binding of the system's HTML Help library: LoadLibraryA, GetProcAddress and FreeLibrary for real.
#include "help/binding/HTMLHelpViewer.h"
#include "help/binding/HtmlHelpLibrary.h"
#include "platform/DynamicLibrary.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// The platform's loader, with a record of what the binding asked for and got. HtmlHelpA is handed out
// as a stand-in that notes each command and passes it on to the library's own entry point.
struct TRecordingLoader {
    std::vector<std::string> Loaded;
    std::map<std::string, bool> Found; // entry point name -> found in the library
    std::vector<unsigned> Commands;
    std::string RenameLibraryTo; // load this name instead, when set

    static inline TRecordingLoader* Current = nullptr;
    static inline THtmlHelpA Real = nullptr;
    static void* PLATFORM_WINAPI HtmlHelpA(void* caller, const char* file, unsigned command, std::uintptr_t data) {
        Current->Commands.push_back(command);
        return Real(caller, file, command, data);
    }

    TLibraryLoader Loader() {
        Current = this;
        const TLibraryLoader platformLoader = PlatformLibraryLoader();
        return {[this, platformLoader](const std::string& name) {
                    Loaded.push_back(name);
                    return platformLoader.Load(RenameLibraryTo.empty() ? name : RenameLibraryTo);
                },
                [this, platformLoader](platform::TModuleHandle module, const char* name) -> void* {
                    void* address = platformLoader.GetProcAddress(module, name);
                    Found[name] = address != nullptr;
                    if (address != nullptr && std::string(name) == "HtmlHelpA") {
                        Real = reinterpret_cast<THtmlHelpA>(address);
                        return reinterpret_cast<void*>(&TRecordingLoader::HtmlHelpA);
                    }
                    return address;
                },
                platformLoader.Free};
    }
};

} // namespace

TEST(HtmlHelpWin, bindsTheSystemsLibraryAndBothEntryPointsAndReleasesIt) {
    ASSERT_EQ(GetModuleHandleA("hhctrl.ocx"), nullptr) << "nothing has loaded HTML Help yet";
    TRecordingLoader record;
    THtmlHelpLibrary library(record.Loader());
    THTMLHelpViewer viewer(library);

    // Closing every help window opens none: the one command that is safe to send to the real library.
    viewer.ShutDown();
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_NE(GetModuleHandleA("hhctrl.ocx"), nullptr);
    EXPECT_EQ(record.Loaded, std::vector<std::string>{"hhctrl.ocx"});
    EXPECT_EQ(record.Found, (std::map<std::string, bool>{{"HtmlHelpA", true}, {"HtmlHelpW", true}}));
    EXPECT_EQ(record.Commands, std::vector<unsigned>{HH_CLOSE_ALL});

    viewer.ShutDown();
    EXPECT_EQ(record.Loaded.size(), 1u) << "loaded once for the whole run";
    EXPECT_EQ(record.Commands, (std::vector<unsigned>{HH_CLOSE_ALL, HH_CLOSE_ALL}));

    library.Release();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(GetModuleHandleA("hhctrl.ocx"), nullptr) << "FreeLibrary unloaded it";
}

TEST(HtmlHelpWin, aMissingLibraryLeavesEveryCommandDoingNothing) {
    TRecordingLoader record;
    record.RenameLibraryTo = "vellicor-no-such-library.ocx";
    THtmlHelpLibrary library(record.Loader());
    THTMLHelpViewer viewer(library);

    viewer.DisplayHelpContext(1, "Help.chm");
    viewer.ShutDown();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(record.Loaded.size(), 4u) << "each command tries to load it again";
    EXPECT_TRUE(record.Found.empty());
    EXPECT_TRUE(record.Commands.empty());
    library.Release();
}

TEST(HtmlHelpWin, platformLayerAnswersNullForWhatIsNotThere) {
    EXPECT_EQ(platform::LoadDynamicLibrary("vellicor-no-such-library.ocx"), nullptr);
    EXPECT_EQ(platform::GetLibraryProcAddress(nullptr, "HtmlHelpA"), nullptr);
    platform::FreeDynamicLibrary(nullptr); // nothing to release, and no failure

    const platform::TModuleHandle kernel = platform::LoadDynamicLibrary("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(platform::GetLibraryProcAddress(kernel, "GetProcAddress"), nullptr);
    EXPECT_EQ(platform::GetLibraryProcAddress(kernel, "HtmlHelpA"), nullptr);
    platform::FreeDynamicLibrary(kernel);
}
