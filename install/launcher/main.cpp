// vorlune: starts the installed game. The game reads and writes every file
// by its bare name in its working directory, so it is started in a folder of
// the player's own, where the installed content is linked in beside the
// progress file.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "launcher/game_folder.h"

namespace fs = std::filesystem;

namespace {

int fail(const std::string& reason) {
    std::fprintf(stderr, "vorlune: %s\n", reason.c_str());
    return 1;
}

// The game's own options follow, from the game itself.
const char* const kAbout =
    "Starts Vorlune, a 3D arcade game: fly through 21 levels of rocks.\n"
    "The game runs in $XDG_DATA_HOME/vorlune (by default ~/.local/share/vorlune),\n"
    "where it keeps your progress in Data.vrp. A level, model or sound file you put\n"
    "there is used instead of the installed one.\n"
    "vorlune --version prints the version; every other option is the game's:\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vorlune %s\n", VORLUNE_VERSION);
        return 0;
    }
    const bool help = argc == 2 && std::strcmp(argv[1], "--help") == 0;
    if (help) {
        std::fputs(kAbout, stdout);
        std::fflush(stdout);
    }

    // Everything installed lies at fixed places relative to this program.
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return fail("cannot find where the game is installed: " + error.message());
    const fs::path bin = self.parent_path();
    const fs::path content = (bin / VORLUNE_LAUNCHER_CONTENT_DIR).lexically_normal();
    const fs::path game = (bin / VORLUNE_LAUNCHER_PROGRAM_DIR / "Game").lexically_normal();
    if (access(game.c_str(), X_OK) != 0) {
        return fail("cannot run " + game.string() + ": " + std::strerror(errno));
    }
    // The game checks its own options; its usage needs no game folder.
    std::vector<char*> gameArguments{const_cast<char*>("Game")};
    gameArguments.insert(gameArguments.end(), argv + 1, argv + argc);
    gameArguments.push_back(nullptr);
    // The game runs in the player's game folder: a replay named from here is
    // named from anywhere.
    std::vector<std::string> absolutePaths;
    absolutePaths.reserve(gameArguments.size());
    for (size_t i = 1; i + 2 < gameArguments.size(); ++i) {
        if (std::strcmp(gameArguments[i], "--replay") != 0) continue;
        absolutePaths.push_back(fs::absolute(gameArguments[i + 1], error).string());
        if (!error) gameArguments[++i] = absolutePaths.back().data();
    }
    if (help) {
        execv(game.c_str(), gameArguments.data());
        return fail("cannot start " + game.string() + ": " + std::strerror(errno));
    }
    if (!fs::is_directory(content, error)) return fail("no game content in " + content.string());

    const fs::path folder = playerGameFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) return fail("no home folder: neither HOME nor XDG_DATA_HOME is set");
    fs::create_directories(folder, error);
    if (error)
        return fail("cannot make the game folder " + folder.string() + ": " + error.message());
    if (access(folder.c_str(), W_OK) != 0) {
        return fail("cannot write to the game folder " + folder.string() + ": " +
                    std::strerror(errno));
    }
    if (std::string failed = linkShippedContent(content, folder); !failed.empty())
        return fail(failed);

    if (chdir(folder.c_str()) != 0) {
        return fail("cannot enter " + folder.string() + ": " + std::strerror(errno));
    }
    execv(game.c_str(), gameArguments.data());
    return fail("cannot start " + game.string() + ": " + std::strerror(errno));
}
