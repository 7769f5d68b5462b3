#include <cstdio>

// The update check arrives with the launcher's own work; until then the
// launcher says so instead of pretending to have checked anything.
int main() {
    std::fprintf(stderr, "Updater: the update check is not part of this build yet.\n");
    return 1;
}
