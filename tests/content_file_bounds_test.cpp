// Content files are read only as regular files of a bounded size: nothing in
// a file's place makes the game wait on it or take memory in proportion to it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/game_world.h"
#include "core/platform/file_system.h"
#include "fault_support.h"
#include "gameplay/level_files.h"
#include "gameplay/line_reader.h"
#include "gameplay/progress_file.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

namespace fs = std::filesystem;

// `head` followed by NULs up to `size` bytes, left as a hole in the file.
void writeSized(const char* name, const std::string& head, uintmax_t size) {
    fault::writeFile(name, head);
    fs::resize_file(name, size);
}

using Seconds = std::chrono::duration<double>;

Seconds since(std::chrono::steady_clock::time_point start) {
    return std::chrono::steady_clock::now() - start;
}

TEST(ContentFileBounds, OnlyRegularFilesUpToTheBoundAreReadWhole) {
    const TempWorkingFolder folder;
    constexpr size_t kBound = 1000;
    const std::string atBound(kBound, 'x');
    struct Case {
        const char* what;
        std::function<void()> make;
        size_t largest;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"a pipe", [] { ASSERT_EQ(mkfifo("file", 0644), 0); }, kBound, std::nullopt},
        {"a link to a pipe",
         [] {
             ASSERT_EQ(mkfifo("pipe", 0644), 0);
             fs::create_symlink("pipe", "file");
         },
         kBound, std::nullopt},
        {"a folder", [] { fs::create_directory("file"); }, kBound, std::nullopt},
        {"a file at the bound", [&] { fault::writeFile("file", atBound); }, kBound, atBound},
        {"a link to a file at the bound",
         [&] {
             fault::writeFile("target", atBound);
             fs::create_symlink("target", "file");
         },
         kBound, atBound},
        {"a file one byte over", [&] { fault::writeFile("file", atBound + "y"); }, kBound,
         std::nullopt},
        {"an empty file", [] { fault::writeFile("file", ""); }, kBound, std::string()},
        // Were it read before its size is looked at, this would take seconds
        // and gigabytes.
        {"3 GiB of hole", [] { writeSized("file", "", uintmax_t{3} << 30); },
         platform::kLargestMeshFile, std::nullopt},
    };
    // Open takes the lowest free descriptor: one left open by the read moves it.
    const auto lowestFreeDescriptor = [] {
        const int probe = open("/dev/null", O_RDONLY | O_CLOEXEC);
        close(probe);
        return probe;
    };
    alarm(20);  // a pipe opened to wait for a writer would otherwise hang the run
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        for (const char* name : {"file", "pipe", "target"}) fs::remove_all(name);
        test.make();
        const int freeBefore = lowestFreeDescriptor();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(platform::readWholeRegularFile("file", test.largest), test.expected);
        EXPECT_LT(since(start).count(), 1.0);
        EXPECT_EQ(lowestFreeDescriptor(), freeBefore) << "a descriptor was left open";
    }
    alarm(0);
}

// A level or progress file of megabytes is none: it counts as missing rather
// than being read through at the start.
TEST(ContentFileBounds, LineFilesOverTheirBoundCountAsMissing) {
    const TempWorkingFolder folder;
    for (const uintmax_t size : {uintmax_t{LineReader::kLargestFile},
                                 uintmax_t{LineReader::kLargestFile} + 1, uintmax_t{3} << 30}) {
        SCOPED_TRACE(size);
        const bool fits = size <= LineReader::kLargestFile;
        resetWorld();
        world.mode = GameMode::Playing;
        world.level = 2;
        world.rockPos[0].x = -1;
        writeSized("Level2.vr", "10\n35\n400\n\n", size);
        writeSized("Level2.su", "30\n35\n100\n\n", size);
        writeSized("Data.vrp", "5\n", size);
        const auto start = std::chrono::steady_clock::now();
        loadLevel();
        EXPECT_EQ(world.mode, fits ? GameMode::Playing : GameMode::TheEnd);
        EXPECT_EQ(world.rockPos[0].x, fits ? 10 : -1);
        EXPECT_EQ(world.pickupActive[0], fits ? 1 : 0);
        world.level = 0;
        EXPECT_EQ(loadProgress(), fits);
        EXPECT_EQ(world.level, fits ? 3 : 0);
        EXPECT_LT(since(start).count(), 2.0);
    }
    resetWorld();
}

}  // namespace
