#include <windows.h>

// Stands in for a time-keeper program: runs until it is terminated. It ends by
// itself after two minutes, with an exit code of its own, so that a test that
// fails half-way leaves nothing running for long.
int main() {
    Sleep(120'000);
    return 3;
}
