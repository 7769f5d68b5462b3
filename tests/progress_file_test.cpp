#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/game_world.h"
#include "gameplay/progress_file.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& name, const std::string& content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
}

class ProgressFile : public ::testing::Test {
protected:
    void SetUp() override { resetWorld(); }
    TempWorkingFolder folder;
};

TEST_F(ProgressFile, StoresTheLevelTransformedAndReadsItBack) {
    const std::pair<int, const char*> table[] = {
        {0, "-1"}, {1, "0.6"}, {2, "2.2"}, {5, "7"}, {12, "18.2"}, {20, "31"}, {21, "32.6"}};
    for (const auto& [level, text] : table) {
        world.level = level;
        saveProgress();
        EXPECT_EQ(readFile("Data.vrp"), text) << level;
    }
    for (int level = 0; level <= 21; ++level) {
        world.level = level;
        saveProgress();
        world.level = -99;
        ASSERT_TRUE(loadProgress());
        EXPECT_EQ(world.level, level) << readFile("Data.vrp");
    }
    EXPECT_FALSE(std::filesystem::exists("Data.vrp.new"));
}

// Only decimal text is a number: hexadecimal and infinities read as 0 too.
TEST_F(ProgressFile, ReadingTruncatesTowardZero) {
    const std::pair<const char*, int> table[] = {
        {"18.9", 12},     {"19.8", 13},          {"", 0},     {"-5", -2},   {"abc", 0},
        {"0.6\n31", 1},   {"1e300", 2147483647}, {"0x10", 0}, {"0x1p3", 0}, {"inf", 0},
        {" -Infinity", 0}};
    for (const auto& [text, level] : table) {
        writeFile("Data.vrp", text);
        world.level = 99;
        EXPECT_TRUE(loadProgress()) << text;
        EXPECT_EQ(world.level, level) << text;
    }
}

TEST_F(ProgressFile, AMissingFileReadsAsNothingAndChangesNothing) {
    world.level = 7;
    EXPECT_FALSE(loadProgress());
    EXPECT_EQ(world.level, 7);
    // A folder of that name is no file either.
    std::filesystem::create_directory("Data.vrp");
    EXPECT_FALSE(loadProgress());
    EXPECT_EQ(world.level, 7);
}

TEST_F(ProgressFile, AFailedSaveKeepsTheOldFile) {
    writeFile("Data.vrp", "18.2");
    // The write fails part-way: the file size limit stops it after one byte.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 1;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    world.level = 21;  // "32.6"
    saveProgress();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(readFile("Data.vrp"), "18.2");
    EXPECT_FALSE(std::filesystem::exists("Data.vrp.new"));

    // A folder the game may not write to: nothing is reported, nothing lost.
    if (geteuid() != 0) {
        chmod(folder.path().c_str(), 0555);
        saveProgress();
        chmod(folder.path().c_str(), 0755);
        EXPECT_EQ(readFile("Data.vrp"), "18.2");
    }
}

}  // namespace
