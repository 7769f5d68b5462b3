#include "core/settings_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/command_line.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::literals;

// What the game says on its error stream, caught in memory.
class Warnings {
public:
    Warnings() : stream(open_memstream(&buffer_, &size_)) {}
    ~Warnings() {
        std::fclose(stream);
        std::free(buffer_);
    }
    std::string text() { return std::fflush(stream), std::string(buffer_, size_); }
    long lineCount() { return std::ranges::count(text(), '\n'); }
    std::FILE* const stream;

private:
    char* buffer_ = nullptr;
    size_t size_ = 0;
};

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string fileText(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST(SettingsFile, BadLinesAreIgnoredOneWarningEachAndTheRestIsUsed) {
    const struct {
        std::string text;
        Settings expected;
        long warnings;
        const char* excerpt;  // of the warnings, when the row checks what they say
    } table[] = {
        {"", {}, 0, nullptr},
        {"# mine\n\n ; too\nfullscreen=no\n window_width =640 \nwindow_height = 16384\n"
         "Music_Volume = 0\nsound_volume=7\npause_when_away = Off",
         {false, 640, 16384, 0, 7, false},
         0,
         nullptr},
        {"# x\nfullscreen = off\nmusic_volume = 150\nmusic_volume = 9",
         {.fullScreen = false, .musicVolume = 9},
         1,
         "settings.ini:3: music_volume must be 0 to 100, \"150\" ignored\n"},
        {"music_volume = 100abc\nmusic_volume = -5\nmusic_volume = +5\nmusic_volume =\n"
         "sound_volume = 99999999999999999999\nwindow_width = 639\nwindow_height = 16385\n"
         "fullscreen = maybe\nsound_volume = 3",
         {.soundVolume = 3},
         8,
         ":8: fullscreen must be true or false"},
        {"just words\n= 3\nvolume = 3\nsound_volume = 4",
         {.soundVolume = 4},
         3,
         ":3: unknown setting \"volume\""},
        {"fullscreen = false\0\nsound_volume = 6\nfullscreen = no\xff\n# caf\xc3\xa9"s,
         {.soundVolume = 6},
         2,
         ":3: not text"},
        {"music_volume = \x1b[2J", {}, 1, "\"\\x1B[2J\""},
        // Exactly the largest file read.
        {std::string(65536 - 17, '#') + "\nmusic_volume = 5", {.musicVolume = 5}, 0, nullptr},
    };
    for (const auto& row : table) {
        TempWorkingFolder folder;
        const std::string path = (folder.path() / "settings.ini").string();
        writeFile(path, row.text);
        Warnings warnings;
        const SettingsFile file = readSettingsFile(path, warnings.stream);
        EXPECT_EQ(file.values, row.expected) << row.text;
        EXPECT_EQ(warnings.lineCount(), row.warnings) << row.text << "\n" << warnings.text();
        EXPECT_TRUE(!row.excerpt || warnings.text().find(row.excerpt) != std::string::npos)
            << warnings.text();
        EXPECT_TRUE(file.writable);
    }
}

TEST(SettingsFile, WhatCannotBeReadAsSettingsGivesDefaultsPromptlyAndIsNeverWritten) {
    const std::pair<const char*, std::function<void(const fs::path&)>> table[] = {
        {"folder", [](const fs::path& p) { fs::create_directory(p); }},
        {"pipe without a writer", [](const fs::path& p) { mkfifo(p.c_str(), 0644); }},
        {"loop of links", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }},
        {"larger than 64 KiB", [](const fs::path& p) { writeFile(p, std::string(65537, '\n')); }},
        {"unreadable", [](const fs::path& p) { writeFile(p, "x"), chmod(p.c_str(), 0); }},
    };
    for (const auto& [kind, make] : table) {
        // Root reads through permission bits: that row tells nothing there.
        if (kind == "unreadable"sv && geteuid() == 0) continue;
        TempWorkingFolder folder;
        const fs::path path = folder.path() / "settings.ini";
        make(path);
        std::error_code noFile;
        const fs::file_type kindBefore = fs::symlink_status(path).type();
        const std::string contentBefore = fs::is_regular_file(path, noFile) ? fileText(path) : "";
        Warnings warnings;
        auto reading =
            std::async(std::launch::async, [&] { return readSettingsFile(path, warnings.stream); });
        const bool prompt = reading.wait_for(5s) == std::future_status::ready;
        // A writer frees a read stuck waiting for one, so that the test ends.
        if (!prompt) ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        EXPECT_TRUE(prompt) << kind;
        SettingsFile file = reading.get();
        EXPECT_EQ(file.values, Settings{}) << kind;
        EXPECT_FALSE(file.writable) << kind;
        EXPECT_EQ(warnings.lineCount(), 1) << kind << "\n" << warnings.text();
        EXPECT_FALSE(writeSettingsFile(file, {.fullScreen = false}, warnings.stream)) << kind;
        EXPECT_EQ(warnings.lineCount(), 2) << kind;
        EXPECT_EQ(fs::symlink_status(path).type(), kindBefore) << kind;
        EXPECT_TRUE(!fs::is_regular_file(path, noFile) || fileText(path) == contentBefore) << kind;
    }
}

TEST(SettingsFile, RewritingKeepsEveryLineItDoesNotOwnAndReplacesItsOwnInPlace) {
    TempWorkingFolder folder;
    const fs::path real = folder.path() / "mine.ini", path = folder.path() / "settings.ini";
    writeFile(real,
              "# my settings\r\nMusic_Volume=5\r\n\r\nzoom = 3\r\nnot a setting\r\n"
              "fullscreen = maybe\r\n; end\r\nmusic_volume = 6\r\n");
    fs::create_symlink("mine.ini", path);
    Warnings warnings;
    SettingsFile file = readSettingsFile(path, warnings.stream);
    EXPECT_EQ(file.values.musicVolume, 6);
    const Settings chosen{false, 800, 600, 30, 40, false};
    ASSERT_TRUE(writeSettingsFile(file, chosen, warnings.stream));
    const std::string expected =
        "# my settings\nmusic_volume = 30\n\nzoom = 3\nnot a setting\nfullscreen = false\n; end\n"
        "window_width = 800\nwindow_height = 600\nsound_volume = 40\npause_when_away = false\n";
    EXPECT_EQ(fileText(real), expected);
    EXPECT_TRUE(fs::is_symlink(path));
    std::string held;
    for (const std::string& line : file.lines) held += line + "\n";
    EXPECT_EQ(held, expected);
    EXPECT_EQ(readSettingsFile(path, warnings.stream).values, chosen);
    // Three lines ignored at the first reading, the two kept ones again at the second.
    EXPECT_EQ(warnings.lineCount(), 5) << warnings.text();
}

TEST(SettingsFile, ANewFileIsMadeWithItsFoldersAndReadsBackAsWritten) {
    TempWorkingFolder folder;
    const fs::path path = folder.path() / "config" / "vorlune" / "settings.ini";
    Warnings warnings;
    SettingsFile file = readSettingsFile(path, warnings.stream);
    // Beyond their ranges: written at the nearest end, so that they read back.
    ASSERT_TRUE(writeSettingsFile(file, {true, 99999, 100, 101, -3, true}, warnings.stream));
    EXPECT_EQ(fileText(path),
              "# Vorlune settings\nfullscreen = true\nwindow_width = 16384\nwindow_height = 360\n"
              "music_volume = 100\nsound_volume = 0\npause_when_away = true\n");
    EXPECT_EQ(fs::status(path.parent_path()).permissions(), fs::perms::owner_all);
    EXPECT_EQ(readSettingsFile(path, warnings.stream).values, file.values);
    EXPECT_EQ(warnings.lineCount(), 0) << warnings.text();

    // A file stands where the folder should be: one warning, nothing else.
    SettingsFile blocked = readSettingsFile(path / "settings.ini", warnings.stream);
    EXPECT_FALSE(writeSettingsFile(blocked, {}, warnings.stream));
    EXPECT_EQ(warnings.lineCount(), 1) << warnings.text();
}

TEST(SettingsFilePath, FollowsTheXdgRules) {
    const char* const table[][3] = {
        {"/x", "/h", "/x/vorlune/settings.ini"},
        {nullptr, "/h", "/h/.config/vorlune/settings.ini"},
        {"", "/h", "/h/.config/vorlune/settings.ini"},
        {"x", "/h", "/h/.config/vorlune/settings.ini"},
        {"x", "h", ""},
        {nullptr, "", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& [xdgConfigHome, home, expected] : table)
        EXPECT_EQ(settingsFilePath(xdgConfigHome, home), expected) << (home ? home : "(unset)");
}

TEST(CommandLine, ReadsEachOptionAndRefusesAnythingElse) {
    const struct {
        std::vector<const char*> arguments;
        std::optional<bool> fullScreen;
        bool mute, help;
        std::string error;
    } table[] = {
        {{}, std::nullopt, false, false, ""},
        {{"--window", "--fullscreen"}, true, false, false, ""},
        {{"--fullscreen", "--mute", "--window"}, false, true, false, ""},
        {{"-h"}, std::nullopt, false, true, ""},
        {{"--help"}, std::nullopt, false, true, ""},
        {{"--mute", "--x", "--window"}, std::nullopt, true, false, "unknown option '--x'"},
        {{"--window=1"}, std::nullopt, false, false, "unknown option '--window=1'"},
        {{"window"}, std::nullopt, false, false, "unexpected argument 'window'"},
        {{"--mute", "--replay"}, std::nullopt, true, false, "--replay needs the replay file to show"},
    };
    for (const auto& row : table) {
        std::vector<const char*> argv{"Game"};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(line.fullScreen, row.fullScreen) << argv.back();
        EXPECT_EQ(std::tie(line.mute, line.help, line.error),
                  std::tie(row.mute, row.help, row.error))
            << argv.back();
    }
}

}  // namespace
