#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "updater_files.h"
#include "updater_test_server.h"

extern char** environ;

// The launcher program built to ask http://127.0.0.1:<port>, run as a whole.
namespace {

// A stand-in that also says it is done through a pipe, since the launcher
// exits without waiting for it and the test cannot reap it.
const std::string kSignallingStandIn = "#!/bin/sh\necho \"$0\" >> ran.txt\necho done > ran.fifo\n";

class UpdaterProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server.listening()) {
            GTEST_SKIP() << "port " << VORLUNE_UPDATER_LOOPBACK_PORT << " is taken";
        }
        writeProgram("Game", kSignallingStandIn);
        ASSERT_EQ(mkfifo("ran.fifo", 0600), 0);
        // Opened before anything can write, so no signal is lost.
        doneSignal = open("ran.fifo", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(doneSignal, 0);
    }
    void TearDown() override {
        if (doneSignal >= 0) close(doneSignal);
    }

    // Runs the launcher on the update path to its end: its exit code, or -1
    // when it did not exit or the installer never ran. Also measures how long
    // it stayed after the installer had started, the time the "installing"
    // status is up.
    int runUpdate(bool withDisplay) {
        std::vector<char*> environment;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const bool names_display = std::strncmp(*variable, "DISPLAY=", 8) == 0 ||
                                       std::strncmp(*variable, "WAYLAND_DISPLAY=", 16) == 0;
            if (withDisplay || !names_display) environment.push_back(*variable);
        }
        environment.push_back(nullptr);
        char program[] = VORLUNE_UPDATER_LOOPBACK_PROGRAM;
        char* arguments[] = {program, nullptr};
        pid_t launcher = 0;
        if (posix_spawn(&launcher, program, nullptr, nullptr, arguments, environment.data()) != 0) {
            return -1;
        }
        const bool installerRan = standInFinished();
        const auto installerStarted = std::chrono::steady_clock::now();
        int status = 0;
        const bool exited = waitpid(launcher, &status, 0) == launcher && WIFEXITED(status);
        secondsAfterInstallerStarted =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - installerStarted)
                .count();
        return installerRan && exited ? WEXITSTATUS(status) : -1;
    }

    // Waits, a bounded time, for the started stand-in to finish recording.
    bool standInFinished() {
        pollfd watched{doneSignal, POLLIN, 0};
        return poll(&watched, 1, 10'000) == 1 && (watched.revents & POLLIN) != 0;
    }

    void publishUpdate() {
        writeFile("version.txt", "12");
        server.serve("/new.txt", CannedResponse::ok("13"));
        server.serve("/update.exe", CannedResponse::ok(kSignallingStandIn));
    }

    // The installer's start is seen a little late, through the stand-in's
    // signal, so the bounds leave room on both sides of the second.
    void expectAboutOneSecondAfterTheInstallerStarted() const {
        RecordProperty("msAfterInstallerStarted",
                       static_cast<int>(secondsAfterInstallerStarted * 1000));
        EXPECT_GE(secondsAfterInstallerStarted, 0.9);
        EXPECT_LE(secondsAfterInstallerStarted, 1.5);
    }

    TempWorkingFolder folder;
    TestHttpServer server{VORLUNE_UPDATER_LOOPBACK_PORT};
    int doneSignal = -1;
    double secondsAfterInstallerStarted = 0;
};

TEST_F(UpdaterProgram, WithoutADisplayAnUpdateIsFetchedStartedAndRecorded) {
    publishUpdate();
    // No window to show the status in, yet the launcher ends no sooner.
    EXPECT_EQ(runUpdate(false), 0);
    expectAboutOneSecondAfterTheInstallerStarted();
    EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
    EXPECT_EQ(readFile("version.txt"), "13");
    EXPECT_TRUE(isExecutable("update.exe"));
}

TEST_F(UpdaterProgram, WithADisplayTheUpdatePathEndsOnItsOwnAboutASecondLater) {
    if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs a display";
    publishUpdate();
    // Nothing sends the launcher's window a message; it must end anyway.
    EXPECT_EQ(runUpdate(true), 0);
    expectAboutOneSecondAfterTheInstallerStarted();
    EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
    EXPECT_EQ(readFile("version.txt"), "13");
}

}  // namespace
