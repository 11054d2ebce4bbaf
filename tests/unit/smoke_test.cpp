#include <gtest/gtest.h>
#include "text/convert.h"
TEST(Smoke, Converts) { EXPECT_EQ(Wide("abc"), L"abc"); }
