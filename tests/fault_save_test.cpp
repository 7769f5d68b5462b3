// Saving the player's level where the disk will not take it: the save is
// skipped without a word, and whatever "Data.vrp" held before survives.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

#include "core/game_world.h"
#include "core/platform/file_system.h"
#include "fault_support.h"
#include "gameplay/progress_file.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

namespace fs = std::filesystem;

// Scratch files a save left beside `target`.
int scratchFilesBeside(const fs::path& target) {
    int count = 0;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().filename().string().starts_with(target.filename().string() + ".new");
    return count;
}

class FaultSave : public ::testing::Test {
protected:
    void SetUp() override { resetWorld(); }
    void TearDown() override {
        platform::installDiskFlush(nullptr);
        resetWorld();
    }

    TempWorkingFolder folder;
};

// Makes `path` read-only for this process. Root writes through permission
// bits, so for root the folder is mounted again read-only in a mount
// namespace of the process's own, where even root gets "read-only file
// system"; anyone else is simply refused by the folder's mode.
bool makeReadOnly(const fs::path& path) {
    if (geteuid() != 0) return chmod(path.c_str(), 0555) == 0;
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

enum ChildResult {
    kSavedNothing = 0,
    kNotReadOnly = 10,
    kStillWritable = 11,
    kOldLevelLost = 12,
    kMissingFileAppeared = 13,
};

// In a child process, since the mount namespace and the refusal are for
// good: makes the folder read-only, then saves into it with and without an
// earlier progress file.
int saveInReadOnlyFolder(const fs::path& path) {
    if (!makeReadOnly(path)) return kNotReadOnly;
    const int probe = ::open((path / "probe").c_str(), O_WRONLY | O_CREAT, 0644);
    if (probe >= 0) return kStillWritable;

    fs::current_path(path / "saved");
    world.level = 21;
    saveProgress();
    world.level = 0;
    if (!loadProgress() || world.level != 12) return kOldLevelLost;

    // A first start: no file to read, and none can be made.
    fs::current_path(path / "first");
    world.level = 0;
    if (loadProgress()) return kMissingFileAppeared;
    saveProgress();
    if (loadProgress()) return kMissingFileAppeared;
    return kSavedNothing;
}

TEST_F(FaultSave, AReadOnlyFolderKeepsWhatItHeldAndTellsNothing) {
    fs::create_directory("saved");
    fs::create_directory("first");
    fault::writeFile("saved/Data.vrp", "18.2");

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(saveInReadOnlyFolder(folder.path()));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(folder.path().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status)) << "the save crashed";
    EXPECT_EQ(WEXITSTATUS(status), kSavedNothing);

    EXPECT_EQ(fault::readFile("saved/Data.vrp"), "18.2");
    EXPECT_EQ(scratchFilesBeside("saved/Data.vrp"), 0);
    EXPECT_TRUE(fs::is_empty("first"));
}

// Ways a save fails part-way: the disk is full at the first byte, or fills
// after some of them. A link planted where a save once wrote its scratch
// file is neither followed nor touched.
TEST_F(FaultSave, EveryFailedSaveKeepsTheOldFileAndLeavesNoScratch) {
    fault::writeFile("Data.vrp", "18.2");
    world.level = 21;  // "32.6"

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    for (rlim_t bytes = 0; bytes < 4; ++bytes) {
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        saveProgress();
        setrlimit(RLIMIT_FSIZE, &previous);
        EXPECT_EQ(fault::readFile("Data.vrp"), "18.2") << bytes << " bytes fit";
        EXPECT_EQ(scratchFilesBeside("Data.vrp"), 0) << bytes << " bytes fit";
    }
    std::signal(SIGXFSZ, SIG_DFL);

    // With room again the same save goes through.
    fs::create_symlink("planted.txt", "Data.vrp.new");
    saveProgress();
    EXPECT_EQ(fault::readFile("Data.vrp"), "32.6");
    EXPECT_FALSE(fs::exists("planted.txt"));
    EXPECT_TRUE(fs::is_symlink("Data.vrp.new"));
}

// Two games saving at the same moment leave one whole file, never a mix,
// however their writes interleave: whoever reads it meanwhile sees a whole one.
TEST_F(FaultSave, TwoSavingAtOnceLeaveOneWholeFile) {
    constexpr size_t kChunk = 4096, kChunks = 64;
    auto whole = [&](const std::string& saved) {
        return saved.size() == kChunk * kChunks &&
               saved.find_first_not_of(saved.empty() ? 'a' : saved[0]) == std::string::npos;
    };
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = fork();
        ASSERT_GE(writers[i], 0);
        if (writers[i] != 0) continue;
        close(start[1]);
        char go;
        (void)!read(start[0], &go, 1);  // both begin together
        const std::string chunk(kChunk, i == 0 ? 'a' : 'b');
        for (int round = 0; round < 100; ++round) {
            platform::ReplacementFile file("Data.vrp");
            for (size_t part = 0; part < kChunks; ++part) file.write(chunk.data(), chunk.size());
            file.commit();
        }
        _exit(0);
    }
    close(start[0]);
    close(start[1]);
    int mixes = 0;
    for (int live = 2; live > 0;) {
        if (fs::exists("Data.vrp")) mixes += !whole(fault::readFile("Data.vrp"));
        live = 0;
        for (const pid_t writer : writers) live += waitpid(writer, nullptr, WNOHANG) == 0;
    }
    EXPECT_EQ(mixes, 0);
    EXPECT_TRUE(whole(fault::readFile("Data.vrp")));
    EXPECT_EQ(scratchFilesBeside("Data.vrp"), 0);
}

// The flush put in the disk's place: it notes the file it was asked to put on
// disk and answers as `flushAnswer` says (0: done, else the error).
int flushAnswer = 0;
fs::path flushedFile;

int answeringFlush(int descriptor) {
    flushedFile = fs::read_symlink("/proc/self/fd/" + std::to_string(descriptor));
    if (flushAnswer == 0) return 0;
    errno = flushAnswer;
    return -1;
}

// Some FUSE and network file systems cannot flush at all and say so: a save
// there still goes through. Any other failure to flush keeps the old file.
TEST_F(FaultSave, AFileSystemThatCannotFlushStillTakesTheSave) {
    platform::installDiskFlush(answeringFlush);
    const std::pair<int, const char*> answers[] = {{EINVAL, "0.6"}, {ENOTSUP, "2.2"}, {EIO, "2.2"}};
    int level = 1;
    for (const auto& [answer, saved] : answers) {
        flushAnswer = answer;
        world.level = level++;
        saveProgress();
        EXPECT_EQ(fault::readFile("Data.vrp"), saved) << answer;
    }
    EXPECT_EQ(scratchFilesBeside("Data.vrp"), 0);
}

// What the player arranged survives a save: the file's mode, and links that
// put the file elsewhere, whose target is replaced from a scratch file beside it.
TEST_F(FaultSave, ASaveKeepsTheFilesModeAndLinks) {
    fault::writeFile("Data.vrp", "18.2");
    fs::permissions("Data.vrp", fs::perms(0604));
    world.level = 1;
    saveProgress();
    EXPECT_EQ(fault::readFile("Data.vrp"), "0.6");
    EXPECT_EQ(fs::status("Data.vrp").permissions(), fs::perms(0604));

    fs::remove("Data.vrp");
    fs::create_directory("saves");
    fs::create_symlink("progress.vrp", "saves/latest");
    fs::create_symlink("saves/latest", "Data.vrp");
    platform::installDiskFlush(answeringFlush);
    flushAnswer = 0;
    for (const int level : {2, 5}) {  // the link's target is made, then replaced
        world.level = level;
        saveProgress();
        EXPECT_TRUE(fs::is_symlink("Data.vrp"));
        EXPECT_EQ(fault::readFile("saves/progress.vrp"), level == 2 ? "2.2" : "7");
        EXPECT_EQ(flushedFile.parent_path(), fs::canonical("saves"));
        EXPECT_TRUE(flushedFile.filename().string().starts_with("progress.vrp.new-"));
    }
    EXPECT_EQ(scratchFilesBeside("saves/progress.vrp"), 0);
}

}  // namespace
