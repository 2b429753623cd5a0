// The scratch hive that the Outlook tests stand on: a hive of their own, also when one is made inside another.
#include "ScratchHive.h"
#include "RegistryFixture.h"

#include <gtest/gtest.h>

TEST(ScratchHive, startsEmptyAndGivesBackTheHiveItReplacedWhenItEnds) {
    testsupport::TScratchHive outer;
    EXPECT_FALSE(fixture::KeyExists("Software"));
    fixture::SetString("Software\\Outer", "Value", "outer");
    const std::string outerContent = outer.Snapshot();
    {
        testsupport::TScratchHive inner;
        EXPECT_FALSE(fixture::KeyExists("Software\\Outer"));
        fixture::SetString("Software\\Inner", "Value", "inner");
        EXPECT_TRUE(fixture::KeyExists("Software\\Inner"));
    }
    EXPECT_EQ(fixture::GetValue("Software\\Outer", "Value"),
              std::make_pair(platform::reg::TypeSz, std::string("outer\0", 6)));
    EXPECT_FALSE(fixture::KeyExists("Software\\Inner"));
    EXPECT_EQ(outer.Snapshot(), outerContent);
}
