#include "platform/Processes.h"

#include "NamedProcess.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::set<std::string> RunningNames() {
    std::set<std::string> names;
    platform::EnumProcessNames([&](std::string_view name) {
        names.emplace(name);
        return true;
    });
    return names;
}

} // namespace

TEST(Processes, listsEachProcessUnderItsExecutableName) {
    // The third name is longer than the 15 characters the kernel keeps of a process name.
    const std::string names[] = {"OUTLOOK.EXE", "name with spaces", "a-name-longer-than-fifteen.exe"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RunningNames().count(name), 0u);
        {
            testsupport::TNamedProcess process(name);
            EXPECT_EQ(RunningNames().count(name), 1u);
        }
        EXPECT_EQ(RunningNames().count(name), 0u);
    }
}

TEST(Processes, stopsWhenTheVisitorSaysSo) {
    int visits = 0;
    platform::EnumProcessNames([&](std::string_view) {
        ++visits;
        return false;
    });
    EXPECT_EQ(visits, 1);
}
