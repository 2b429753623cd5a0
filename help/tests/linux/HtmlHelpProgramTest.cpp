// The program's own viewer and library, where no HTML Help library is found: the Linux one is built
// beside the program, not beside the tests. (On Windows the system's library would open real windows.)
#include "base/SysUtils.h"
#include "help/binding/HTMLHelpViewer.h"
#include "help/binding/HelpSystem.h"

#include <gtest/gtest.h>

TEST(HtmlHelpTest, RegistersTheProgramsViewerOnceUntilItIsFinalised) {
    RegisterHtmlHelpViewer();
    RegisterHtmlHelpViewer();
    EXPECT_EQ(HelpSystem().ViewerCount(), 1u);
    // No HTML Help library beside the test program: the request does nothing and raises nothing.
    EXPECT_NO_THROW(ShowHelpContents());
    EXPECT_EQ(HelpSystem().CurrentHelpFile(), "Help.chm");
    FinalizeHtmlHelpViewer();
    EXPECT_EQ(HelpSystem().ViewerCount(), 0u);
    ReleaseHtmlHelpLibrary();
    EXPECT_THROW(ShowHelpContents(), Exception);
}
