#include "outlook/OutlookInteraction.h"

#include "NamedProcess.h"
#include "ScratchHive.h"

#include "platform/Processes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Whether a process of someone else's (another test, a real Outlook) is named OUTLOOK.EXE, letter case
// ignored, which would make a "not running" answer impossible to check.
bool OtherOutlookRuns() {
    bool found = false;
    platform::EnumProcessNames([&](std::string_view name) {
        std::string upper(name);
        for (auto& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        found = upper == "OUTLOOK.EXE";
        return !found;
    });
    return found;
}

class OutlookRunning : public testing::Test {
protected:
    testsupport::TScratchHive FHive; // the instance detects versions; keep it off the user's hive
};

} // namespace

TEST_F(OutlookRunning, findsOutlookWhateverTheLetterCase) {
    for (const char* name : {"outlook.exe", "Outlook.exe", "OUTLOOK.EXE"}) {
        SCOPED_TRACE(name);
        testsupport::TNamedProcess outlook(name);
        EXPECT_TRUE(TOutlookInteraction().IsOutlookRunning());
    }
}

TEST_F(OutlookRunning, ignoresNamesThatOnlyResembleIt) {
    std::vector<std::unique_ptr<testsupport::TNamedProcess>> lookalikes;
    for (const char* name : {"OUTLOOK.EXE.bak", "xOUTLOOK.EXE", "OUTLOOK", "OUTLOOK.EX", "OUTLOOK_EXE"}) {
        lookalikes.push_back(std::make_unique<testsupport::TNamedProcess>(name));
    }
    const bool before = OtherOutlookRuns();
    const bool running = TOutlookInteraction().IsOutlookRunning();
    if (before || OtherOutlookRuns()) {
        GTEST_SKIP() << "another process named OUTLOOK.EXE runs on this machine";
    }
    EXPECT_FALSE(running);
}

TEST_F(OutlookRunning, answersFalseWhenNoOutlookRuns) {
    const bool before = OtherOutlookRuns();
    const bool running = TOutlookInteraction().IsOutlookRunning();
    if (before || OtherOutlookRuns()) {
        GTEST_SKIP() << "another process named OUTLOOK.EXE runs on this machine";
    }
    EXPECT_FALSE(running);
}
