// Writes the starting inputs of the fuzz targets from the game's own
// content: the shipped levels and meshes, each mesh also in the binary and
// compressed forms of the .x format, the version and progress texts the
// game and launcher write, and an installer's signatures in both forms.
//
// make_fuzz_seeds <game folder> <seed folder>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "signature_sample.h"
#include "x_binary.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void writeSeeds(const fs::path& folder, const std::vector<std::string>& texts) {
    int n = 0;
    for (const std::string& text : texts) writeFile(folder / ("seed" + std::to_string(n++)), text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <game folder> <seed folder>\n", argv[0]);
        return 2;
    }
    const fs::path game = argv[1], seeds = argv[2];
    for (const char* target :
         {"level_files", "progress_file", "version_file", "x_mesh", "update_signature"})
        fs::create_directories(seeds / target);

    int meshes = 0, levels = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(game)) {
        const fs::path& path = entry.path();
        const std::string name = path.filename().string();
        if (name.rfind("Level", 0) == 0) {
            fs::copy_file(path, seeds / "level_files" / name, fs::copy_options::overwrite_existing);
            ++levels;
        } else if (path.extension() == ".x") {
            const std::string text = readFile(path);
            if (text.rfind("xof 0303txt 0032", 0) != 0) continue;
            const std::string stem = path.stem().string();
            const std::string binary = x_binary::binaryBody(text);
            writeFile(seeds / "x_mesh" / (stem + ".txt.x"), text);
            writeFile(seeds / "x_mesh" / (stem + ".bin.x"), "xof 0303bin 0032" + binary);
            writeFile(seeds / "x_mesh" / (stem + ".bzip.x"),
                      "xof 0303bzip0032" + x_binary::compressedBody(binary));
            writeFile(seeds / "x_mesh" / (stem + ".tzip.x"),
                      "xof 0303tzip0032" + x_binary::compressedBody(text.substr(16)));
            ++meshes;
        }
    }
    writeSeeds(seeds / "level_files",
               {"", "10\n35\n400\n\n", "10\r\n35\r\n400\r\n-\r\n", "1e2\n-12.9\n12.9\n"});
    writeSeeds(seeds / "progress_file",
               {"-1", "0.6", "18.2", "32.6", "", "-5", "0.6\n31", "1e300"});
    writeSeeds(seeds / "version_file", {"12", "13\n", "3\n12", " 7abc", "", "12\r\n", "-4"});
    writeSeeds(seeds / "update_signature",
               {signature_sample::kPrehashed, signature_sample::kLegacy});
    std::printf("seeds: %d meshes in four forms, %d level files\n", meshes, levels);
    return meshes > 0 && levels > 0 ? 0 : 1;
}
