// A program that crashes at once. Its ctest entry expects a failure within a
// few seconds: a prefix where a crash waits in the debugger's dialog instead
// would let every crashing test hang the run.
#include <cstdio>

int main() {
    std::puts("crash_probe: writing through a null pointer");
    std::fflush(stdout);
    *static_cast<volatile int*>(nullptr) = 1;
    return 0;
}
