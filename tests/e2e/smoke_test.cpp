#include <gtest/gtest.h>
#include "text/convert.h"
TEST(SmokeE, Converts) { EXPECT_EQ(Wide("abc"), L"abc"); }
