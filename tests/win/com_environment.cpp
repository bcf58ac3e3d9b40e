#include "win_test_support.h"

// Every Windows test program runs its tests inside one STA.
static ::testing::Environment* const g_com = ::testing::AddGlobalTestEnvironment(new CorvaneTest::ComEnvironment);
