#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "launcher/game_folder.h"
#include "temp_folder.h"
#include "updater_files.h"

namespace fs = std::filesystem;

// The launcher of an installed game, run as a whole from a tree laid out as
// an install lays it out, with a stand-in game that notes where it started.
namespace {

class InstalledLauncher : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(prefix / "bin");
        fs::create_directories(programs);
        fs::create_directories(content);
        fs::create_directories(home);
        fs::copy_file(VORLUNE_LAUNCHER_PROGRAM, prefix / "bin" / "vorlune");
        writeProgram((programs / "Game").string(),
                     "#!/bin/sh\npwd > started-in.txt\necho \"$@\" > arguments.txt\n");
        writeFile((content / "rock.x").string(), "shipped rock");
        writeFile((content / "Level0.vr").string(), "shipped level");
    }

    struct Outcome {
        int exitCode = -1;
        std::string errors;
    };

    // Runs the installed launcher with exactly these environment variables.
    Outcome launch(std::vector<std::string> environment, std::vector<std::string> options = {}) {
        Outcome outcome;
        int errorPipe[2];
        if (pipe2(errorPipe, O_CLOEXEC) != 0) return outcome;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, errorPipe[1], 2);
        std::vector<char*> variables;
        for (std::string& variable : environment) variables.push_back(variable.data());
        variables.push_back(nullptr);
        std::string program = (prefix / "bin" / "vorlune").string();
        std::vector<char*> arguments{program.data()};
        for (std::string& option : options) arguments.push_back(option.data());
        arguments.push_back(nullptr);
        pid_t launcher = 0;
        const bool started = posix_spawn(&launcher, program.c_str(), &actions, nullptr,
                                         arguments.data(), variables.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(errorPipe[1]);
        char buffer[512];
        for (ssize_t got; (got = read(errorPipe[0], buffer, sizeof buffer)) > 0;)
            outcome.errors.append(buffer, got);
        close(errorPipe[0]);
        int status = 0;
        if (started && waitpid(launcher, &status, 0) == launcher && WIFEXITED(status)) {
            outcome.exitCode = WEXITSTATUS(status);
        }
        return outcome;
    }
    Outcome launchAtHome() { return launch({"HOME=" + home.string()}); }

    TempWorkingFolder root;
    fs::path prefix = root.path() / "usr";
    fs::path programs = prefix / "bin" / VORLUNE_LAUNCHER_PROGRAM_DIR;
    fs::path content = (prefix / "bin" / VORLUNE_LAUNCHER_CONTENT_DIR).lexically_normal();
    fs::path home = root.path() / "home";
    fs::path gameFolder = home / ".local" / "share" / "vorlune";
};

TEST_F(InstalledLauncher, StartsTheGameInThePlayersFolderWithTheContentLinkedIn) {
    // Files the game and the updater write are the player's even where an install ships them.
    const char* const playersOwn[] = {"Data.vrp", "version.txt"};
    for (const char* name : playersOwn) writeFile((content / name).string(), "shipped");
    const Outcome outcome =
        launch({"HOME=" + home.string()}, {"--window", "--replay", "runs/a.replay", "--mute"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(readFile((gameFolder / "started-in.txt").string()), gameFolder.string() + "\n");
    // A replay named from where the launcher was started is found from the game folder.
    EXPECT_EQ(readFile((gameFolder / "arguments.txt").string()),
              "--window --replay " + (fs::current_path() / "runs/a.replay").string() + " --mute\n");
    EXPECT_EQ(fs::read_symlink(gameFolder / "rock.x"), content / "rock.x");
    EXPECT_EQ(readFile((gameFolder / "Level0.vr").string()), "shipped level");
    for (const char* name : playersOwn)
        EXPECT_FALSE(fs::exists(fs::symlink_status(gameFolder / name))) << name;

    // XDG_DATA_HOME, when absolute, decides where the folder is.
    const fs::path dataHome = root.path() / "data";
    EXPECT_EQ(launch({"HOME=" + home.string(), "XDG_DATA_HOME=" + dataHome.string()}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(dataHome / "vorlune" / "rock.x"));
    // A relative path in either variable counts as none.
    const struct {
        const char* dataHome;
        const char* home;
        fs::path folder;
    } places[] = {
        {"/data", "/home/p", "/data/vorlune"},
        {"relative/data", "/home/p", "/home/p/.local/share/vorlune"},
        {nullptr, "/home/p", "/home/p/.local/share/vorlune"},
        {nullptr, "relative/p", ""},
        {"relative/data", "relative/p", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& place : places) {
        EXPECT_EQ(playerGameFolder(place.dataHome, place.home), place.folder)
            << (place.dataHome ? place.dataHome : "-") << " " << (place.home ? place.home : "-");
    }
}

TEST_F(InstalledLauncher, KeepsWhatThePlayerPutThereAndMendsLinksOfOtherInstalls) {
    fs::create_directories(gameFolder);
    writeFile((gameFolder / "Data.vrp").string(), "4.2");
    writeFile((gameFolder / "version.txt").string(), "7");
    writeFile((gameFolder / "Level0.vr").string(), "the player's own level");
    // The player's own link, into a folder that happens to be named like an install's.
    fs::create_directories(home / "mods" / "vorlune");
    writeFile((home / "mods" / "vorlune" / "sky.png").string(), "the player's sky");
    fs::create_symlink(home / "mods" / "vorlune" / "sky.png", gameFolder / "sky.png");
    // Links an older install left: one to a file shipped no more, one stale.
    fs::create_symlink("/opt/old/share/vorlune/rock.x", gameFolder / "rock.x");
    fs::create_symlink("/opt/old/share/vorlune/Level99.vr", gameFolder / "Level99.vr");
    // The player's link to a backup that is gone, by a shipped name, is the player's still.
    fs::create_symlink(home / "backup" / "Level0.su", gameFolder / "Level0.su");
    writeFile((content / "Level0.su").string(), "shipped pickups");
    writeFile((content / "sky.png").string(), "shipped sky");
    writeFile((content / "bomb.x").string(), "shipped bomb");

    for (int start = 0; start < 3; ++start) {
        // Before the third start the player takes over a link the launcher made,
        // and the install ships that file no more.
        if (start == 2) {
            writeFile((home / "mods" / "vorlune" / "bomb.x").string(), "the player's bomb");
            fs::remove(gameFolder / "bomb.x");
            fs::create_symlink(home / "mods" / "vorlune" / "bomb.x", gameFolder / "bomb.x");
            fs::remove(content / "bomb.x");
        }
        const Outcome outcome = launchAtHome();
        ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
        EXPECT_EQ(readFile((gameFolder / "Data.vrp").string()), "4.2");
        EXPECT_EQ(readFile((gameFolder / "version.txt").string()), "7");
        EXPECT_FALSE(fs::is_symlink(gameFolder / "Level0.vr"));
        EXPECT_EQ(readFile((gameFolder / "Level0.vr").string()), "the player's own level");
        EXPECT_EQ(fs::read_symlink(gameFolder / "sky.png"), home / "mods" / "vorlune" / "sky.png");
        EXPECT_EQ(fs::read_symlink(gameFolder / "rock.x"), content / "rock.x");
        EXPECT_FALSE(fs::exists(fs::symlink_status(gameFolder / "Level99.vr")));
        EXPECT_EQ(fs::read_symlink(gameFolder / "Level0.su"), home / "backup" / "Level0.su");
        EXPECT_EQ(readFile((gameFolder / "bomb.x").string()),
                  start < 2 ? "shipped bomb" : "the player's bomb");
    }
}

// A double click starts two launchers at once: both start the game.
TEST_F(InstalledLauncher, TwoStartedTogetherBothStartTheGame) {
    for (int i = 0; i < 20; ++i)
        writeFile((content / ("Level" + std::to_string(i) + ".su")).string(), "");
    for (int round = 0; round < 10; ++round) {
        fs::remove_all(gameFolder);
        auto first = std::async(std::launch::async, [this] { return launchAtHome(); });
        const Outcome second = launchAtHome();
        EXPECT_EQ(first.get().exitCode, 0) << round;
        EXPECT_EQ(second.exitCode, 0) << round << ": " << second.errors;
        EXPECT_EQ(fs::read_symlink(gameFolder / "Level19.su"), content / "Level19.su");
    }
}

TEST_F(InstalledLauncher, SaysWhyInOneLineWhenItCannotStartAndTouchesNothing) {
    // No home at all.
    Outcome outcome = launch({});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("HOME"), std::string::npos) << outcome.errors;
    EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1);

    // A home that cannot hold the game's folder (a file stands in the way:
    // the tests may run as root, whom folder modes do not stop).
    writeFile((root.path() / "not-a-folder").string(), "");
    outcome = launch({"HOME=" + (root.path() / "not-a-folder").string()});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("cannot make the game folder"), std::string::npos)
        << outcome.errors;

    // The content gone: the player's folder is left as it was.
    fs::create_directories(gameFolder);
    writeFile((gameFolder / "Data.vrp").string(), "4.2");
    fs::remove_all(content);
    outcome = launchAtHome();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.errors.find("no game content"), std::string::npos) << outcome.errors;
    EXPECT_EQ(readFile((gameFolder / "Data.vrp").string()), "4.2");
    EXPECT_FALSE(fs::exists(gameFolder / "started-in.txt"));
}

}  // namespace
