#include "EveryKind.h"

#include <gtest/gtest.h>

TEST(Published, placeholder) {
    TEveryKind k;
    EXPECT_EQ(k.ClassName(), "TEveryKind");
}
