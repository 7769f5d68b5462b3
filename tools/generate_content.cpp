// Makes every file the game ships beside its programs: all of it is drawn,
// modelled and composed here, from code, so the build needs no asset files.
//
// Usage: generate_content <output folder>

#include <cstdio>
#include <string>

#include "content/icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    ok = writeGameIcon(folder + "/Icon.ico") && ok;
    if (!ok) {
        std::fprintf(stderr, "generate_content: could not write every file into %s\n",
                     folder.c_str());
        return 1;
    }
    return 0;
}
