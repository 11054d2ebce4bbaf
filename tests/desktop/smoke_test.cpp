#include <gtest/gtest.h>
#include "text/convert.h"
TEST(SmokeD, Converts) { EXPECT_EQ(Wide("abc"), L"abc"); }
