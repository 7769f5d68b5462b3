// Writes the game's emblem as PNG icons for the desktop's menus, one per
// size the icon theme has a folder for: <folder>/<size>x<size>/<name>.png.
//
// Usage: generate_desktop_icons <output folder> <icon name>

#include <cstdio>
#include <filesystem>
#include <string>

#include "content/icon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <output folder> <icon name>\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (int size : {32, 48, 64, 128, 256}) {
        const std::string side = std::to_string(size);
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / (side + "x" + side);
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        ok = !error && writeDesktopIcon(size, (folder / (std::string(argv[2]) + ".png")).string()) && ok;
    }
    if (!ok) std::fprintf(stderr, "generate_desktop_icons: could not write every icon into %s\n", argv[1]);
    return ok ? 0 : 1;
}
