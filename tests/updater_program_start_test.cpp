#include <gtest/gtest.h>
#include <signal.h>

#include "temp_folder.h"
#include "updater/platform/program_start.h"
#include "updater_files.h"

namespace {

TEST(UpdaterProgramStart, StartsTheProgramInTheWorkingFolderWithoutAShell) {
    TempWorkingFolder folder;
    writeProgram("Game", "#!/bin/sh\necho \"$0 $#\" >> ran.txt\n");
    // A name a shell would split or expand must reach the program as it is.
    writeProgram("odd name;$x", "#!/bin/sh\necho \"$0\" >> ran.txt\n");

    const platform::StartedProgram game = platform::startProgram("./Game");
    ASSERT_TRUE(game.started());
    reap(game.processId);
    const platform::StartedProgram odd = platform::startProgram("./odd name;$x");
    ASSERT_TRUE(odd.started());
    reap(odd.processId);
    EXPECT_EQ(readFile("ran.txt"), "./Game 0\n./odd name;$x\n");
}

TEST(UpdaterProgramStart, DoesNotWaitForTheProgram) {
    TempWorkingFolder folder;
    // Runs until the test ends it.
    writeProgram("Game", "#!/bin/sh\necho started >> ran.txt\nexec sleep 60\n");
    const platform::StartedProgram game = platform::startProgram("./Game");
    ASSERT_TRUE(game.started());
    // Still running: the start returned while the program goes on.
    EXPECT_EQ(waitpid(game.processId, nullptr, WNOHANG), 0);
    kill(game.processId, SIGTERM);
    reap(game.processId);
}

TEST(UpdaterProgramStart, AProgramThatCannotRunIsReportedNotStarted) {
    TempWorkingFolder folder;
    EXPECT_FALSE(platform::startProgram("./Game").started());
    writeFile("update.exe", "#!/bin/sh\necho ran >> ran.txt\n");  // no execute bit
    EXPECT_FALSE(platform::startProgram("./update.exe").started());
    writeProgram("garbage.exe", "MZ\x90\x00 not a program here");
    EXPECT_FALSE(platform::startProgram("./garbage.exe").started());
    EXPECT_FALSE(std::filesystem::exists("ran.txt"));
}

}  // namespace
