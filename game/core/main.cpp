#include "core/main_loop.h"

int main() { return runGame(); }
