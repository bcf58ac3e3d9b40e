// A test that crashes. Its ctest entry expects it to be judged failed within
// a few seconds: a prefix where a crash waits in the debugger's dialog, or a
// verdict that trusts an exit code Wine may report as 0, would let a crashing
// test hang the run or pass.
#include <gtest/gtest.h>

TEST(CrashProbe, WritesThroughANullPointer) { *static_cast<volatile int*>(nullptr) = 1; }
