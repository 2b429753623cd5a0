// Opening the web page where no browser can be started: the address is not lost without a word.
#include "../ModalScript.h"
#include "TempDir.h"

#include "ui/OpenWebPage.h"

#include <QMessageBox>
#include <gtest/gtest.h>

TEST(OpenWebPageLinux, withoutABrowserSaysSoAndShowsTheAddress) {
    testsupport::TTempDir nothing;
    testsupport::TScopedEnv path("PATH", nothing.Path().string()); // no xdg-open, no browser
    testsupport::TScopedEnv browser("BROWSER", "");
    TModalScript script;
    script.Click("OK");
    OpenWebPage(nullptr, "https://korvane.example/vellicor");
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].ObjectName, QStringLiteral("NoBrowserBox"));
    EXPECT_TRUE(script.Seen()[0].Text.contains(QStringLiteral("https://korvane.example/vellicor")))
        << script.Seen()[0].Text.toStdString();
    EXPECT_TRUE(script.Seen()[0].Text.contains(QStringLiteral("No web browser could be started")));
}
