#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "updater_files.h"
#include "updater_test_server.h"

extern char** environ;

// The updater program built to ask http://127.0.0.1:<port>, run as a whole.
namespace {

// Stand-ins that note what ran and say they are done through a pipe, since
// the updater exits without waiting for them and the test cannot reap them.
const std::string kSignallingStandIn = "#!/bin/sh\necho \"$0\" >> ran.txt\necho done > ran.fifo\n";
const std::string kInstallerStandIn =
    "#!/bin/sh\necho installer >> ran.txt\necho done > ran.fifo\n";

// The secret half of the key the updater was built with.
const std::string kLoopbackKey = VORLUNE_UPDATER_LOOPBACK_SECRET_KEY;

// Runs the minisign tool with these arguments to its end; true when it succeeded.
bool minisign(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VORLUNE_MINISIGN_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t process = 0;
    int status = -1;
    if (posix_spawn(&process, argv[0], &quiet, nullptr, argv.data(), environ) == 0) {
        waitpid(process, &status, 0);
    }
    posix_spawn_file_actions_destroy(&quiet);
    return status == 0;
}

// What the publisher uploads beside `installer`: its signature by `secretKey`,
// in the default, prehashed form or the legacy one.
std::string signedBy(const std::string& secretKey, const std::string& installer,
                     bool legacy = false, const std::string& version = "13") {
    writeFile("signed.exe", installer);
    std::vector<std::string> sign = {
        "-S", "-s", secretKey, "-m", "signed.exe", "-t", "Vorlune update version=" + version};
    if (legacy) sign.push_back("-l");
    EXPECT_TRUE(minisign(sign));
    return readFile("signed.exe.minisig").value_or("");
}

class UpdaterProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listening()) << "no loopback port to serve on";
        writeProgram("Game", kSignallingStandIn);
    }
    void TearDown() override {
        if (doneSignal >= 0) close(doneSignal);
    }

    // A fresh pipe for each run: one that has had a writer reads as closed.
    void listenForStandIn() {
        if (doneSignal >= 0) close(doneSignal);
        std::remove("ran.fifo");
        std::remove("ran.txt");
        ASSERT_EQ(mkfifo("ran.fifo", 0600), 0);
        // Opened before anything can write, so no signal is lost.
        doneSignal = open("ran.fifo", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(doneSignal, 0);
    }

    // Runs the updater to its end: its exit code, or -1 when it did not
    // exit or neither the installer nor the game ran. Its standard error goes
    // to "errors.txt". Also measures how long it stayed after the installer
    // had started, the time the "installing" status is up.
    int runUpdate(bool withDisplay) {
        listenForStandIn();
        const pid_t updater = startUpdater(withDisplay);
        if (updater <= 0) return -1;
        const bool installerRan = standInFinished();
        const auto installerStarted = std::chrono::steady_clock::now();
        int status = 0;
        const bool exited = waitpid(updater, &status, 0) == updater && WIFEXITED(status);
        secondsAfterInstallerStarted =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - installerStarted)
                .count();
        return installerRan && exited ? WEXITSTATUS(status) : -1;
    }

    // The updater, asking this test's server, with its standard error in "errors.txt".
    pid_t startUpdater(bool withDisplay) {
        std::vector<char*> environment;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const bool names_display = std::strncmp(*variable, "DISPLAY=", 8) == 0 ||
                                       std::strncmp(*variable, "WAYLAND_DISPLAY=", 16) == 0;
            if (withDisplay || !names_display) environment.push_back(*variable);
        }
        std::string endpoint = "VORLUNE_TEST_UPDATE_URL=" + server.baseUrl();
        environment.push_back(endpoint.data());
        environment.push_back(nullptr);
        char program[] = VORLUNE_UPDATER_LOOPBACK_PROGRAM;
        char* arguments[] = {program, nullptr};
        posix_spawn_file_actions_t errorsToFile;
        posix_spawn_file_actions_init(&errorsToFile);
        posix_spawn_file_actions_addopen(&errorsToFile, 2, "errors.txt",
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t updater = 0;
        const int spawned =
            posix_spawn(&updater, program, &errorsToFile, nullptr, arguments, environment.data());
        posix_spawn_file_actions_destroy(&errorsToFile);
        return spawned == 0 ? updater : -1;
    }

    // Waits, a bounded time, for the started stand-in to finish recording.
    bool standInFinished() {
        pollfd watched{doneSignal, POLLIN, 0};
        return poll(&watched, 1, 10'000) == 1 && (watched.revents & POLLIN) != 0;
    }

    // Version 13 (or another) with this installer and, unless there is
    // none, this signature, for a game at version 12.
    void publish(const std::string& installer, const std::optional<std::string>& signature,
                 const std::string& version = "13") {
        writeFile("version.txt", "12");
        server.serve("/new.txt", CannedResponse::ok(version));
        server.serve("/update.exe", CannedResponse::ok(installer));
        server.serve("/update.exe.minisig",
                     signature ? CannedResponse::ok(*signature) : CannedResponse::error(404));
    }
    void publishUpdate() { publish(kInstallerStandIn, signedBy(kLoopbackKey, kInstallerStandIn)); }

    // The installer's start is seen a little late, through the stand-in's
    // signal, and the updater's exit includes the process's own teardown (a
    // sanitizer's leak check, on a busy machine, takes most of a second): the
    // upper bound catches an updater that waits on, not one that ends slowly.
    // The second itself is timed exactly by the flow tests' clock.
    void expectAboutOneSecondAfterTheInstallerStarted() const {
        RecordProperty("msAfterInstallerStarted",
                       static_cast<int>(secondsAfterInstallerStarted * 1000));
        EXPECT_GE(secondsAfterInstallerStarted, 0.9);
        EXPECT_LE(secondsAfterInstallerStarted, 5.0);
    }

    TempWorkingFolder folder;
    TestHttpServer server;
    int doneSignal = -1;
    double secondsAfterInstallerStarted = 0;
};

TEST_F(UpdaterProgram, WithoutADisplayAnUpdateIsFetchedStartedAndRecorded) {
    publishUpdate();
    // No window to show the status in, yet the updater ends no sooner.
    EXPECT_EQ(runUpdate(false), 0);
    expectAboutOneSecondAfterTheInstallerStarted();
    EXPECT_EQ(readFile("ran.txt"), "installer\n");
    EXPECT_EQ(readFile("version.txt"), "13");
    EXPECT_TRUE(isExecutable("update.exe"));
}

TEST_F(UpdaterProgram, WithADisplayTheUpdatePathEndsOnItsOwnAboutASecondLater) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "the tests run with a display";
    publishUpdate();
    // Nothing sends the updater's window a message; it must end anyway.
    EXPECT_EQ(runUpdate(true), 0);
    expectAboutOneSecondAfterTheInstallerStarted();
    EXPECT_EQ(readFile("ran.txt"), "installer\n");
    EXPECT_EQ(readFile("version.txt"), "13");
}

// The legacy signature form, and a publisher's own move back to a lower
// version, signed for it: both start.
TEST_F(UpdaterProgram, AnInstallerSignedInTheLegacyFormOrForALowerVersionStartsToo) {
    publish(kInstallerStandIn, signedBy(kLoopbackKey, kInstallerStandIn, true));
    EXPECT_EQ(runUpdate(false), 0);
    EXPECT_EQ(readFile("ran.txt"), "installer\n");
    EXPECT_EQ(readFile("version.txt"), "13");

    publish(kInstallerStandIn, signedBy(kLoopbackKey, kInstallerStandIn, false, "11"), "11");
    EXPECT_EQ(runUpdate(false), 0);
    EXPECT_EQ(readFile("ran.txt"), "installer\n");
    EXPECT_EQ(readFile("version.txt"), "11");
}

// Killed while the signature is on its way, the updater leaves the installer
// unrunnable and under no name anything starts; the next start removes it.
TEST_F(UpdaterProgram, KilledBeforeTheCheckItLeavesNothingRunnable) {
    publish(kInstallerStandIn, std::nullopt);
    server.serve("/update.exe.minisig", CannedResponse::stallBeforeAnswer());
    const pid_t updater = startUpdater(false);
    ASSERT_GT(updater, 0);
    auto signatureAsked = [&] {
        const auto asked = server.requests();
        return std::find(asked.begin(), asked.end(), "/update.exe.minisig") != asked.end();
    };
    for (int tick = 0; tick < 1000 && !signatureAsked(); ++tick) usleep(10'000);
    ASSERT_TRUE(signatureAsked());
    kill(updater, SIGKILL);
    waitpid(updater, nullptr, 0);
    auto leftovers = [] {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            if (entry.path().filename().string().starts_with("update.exe")) found.push_back(entry);
        return found;
    };
    EXPECT_FALSE(std::filesystem::exists("update.exe"));
    ASSERT_EQ(leftovers().size(), 1u);
    EXPECT_FALSE(isExecutable(leftovers().front().string()));
    EXPECT_EQ(readFile("version.txt"), "12");

    publishUpdate();
    EXPECT_EQ(runUpdate(false), 0);
    EXPECT_EQ(readFile("ran.txt"), "installer\n");
    EXPECT_EQ(leftovers(), std::vector<std::filesystem::path>{"./update.exe"});
}

TEST_F(UpdaterProgram, AnythingButTheGenuineUpdateStartsTheGameAndLeavesNoInstaller) {
    // Each one would run as an installer, so only the refusal keeps it from running.
    const std::string installer = kInstallerStandIn + "# version 13\n";
    const std::string signature = signedBy(kLoopbackKey, installer);
    std::string alteredInstaller = installer;
    alteredInstaller[alteredInstaller.size() - 2] ^= 1;
    std::string alteredComment = signature;
    alteredComment[alteredComment.find("version=13")] ^= 1;
    const std::string tooLarge =
        installer + std::string(VORLUNE_UPDATER_LOOPBACK_LARGEST_INSTALLER, '#');
    ASSERT_TRUE(minisign({"-G", "-W", "-p", "other.pub", "-s", "other.key"}));
    const struct {
        const char* what;
        std::string installer;
        std::optional<std::string> signature;
        const char* why;
    } cases[] = {
        {"no signature file", installer, std::nullopt, "no signature"},
        {"an empty one", installer, "", "malformed"},
        {"a truncated one", installer, signature.substr(0, signature.size() - 30), "malformed"},
        {"another key", installer, signedBy("other.key", installer), "another key"},
        {"a flipped byte in the installer", alteredInstaller, signature,
         "installer does not match"},
        {"a flipped byte in the trusted comment", installer, alteredComment,
         "comment does not match"},
        {"too large an installer", tooLarge, signedBy(kLoopbackKey, tooLarge), "larger than"},
        {"an older installer replayed under the new version", installer,
         signedBy(kLoopbackKey, installer, false, "11"),
         "signed for version 11, not the offered 13"},
        {"no version signed", installer, signedBy(kLoopbackKey, installer, false, "x 13"),
         "names no version"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        publish(each.installer, each.signature);
        EXPECT_EQ(runUpdate(false), 0);
        EXPECT_EQ(readFile("ran.txt"), "./Game\n");
        EXPECT_EQ(readFile("version.txt"), "12");
        EXPECT_FALSE(std::filesystem::exists("update.exe"));
        // One line of ours; the window system may add its own.
        const std::string errors = readFile("errors.txt").value_or("");
        const size_t ours = errors.find("Updater: ");
        EXPECT_EQ(errors.find("Updater: ", ours + 1), std::string::npos) << errors;
        EXPECT_NE(errors.find(each.why, ours), std::string::npos) << errors;
    }

    // Without a fresh "new.txt" nothing is offered, not even what an earlier
    // copy says: a genuine installer waiting on the server is refused.
    writeFile("new.txt", "13");
    publish(installer, signature);
    server.serve("/new.txt", CannedResponse::error(404));
    EXPECT_EQ(runUpdate(false), 0);
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("version.txt"), "12");
    EXPECT_NE(readFile("errors.txt").value_or("").find("not the offered 0"), std::string::npos);

    // A version file that large is no version: the copy from the last start stands.
    writeFile("new.txt", "12");
    publish(installer, signature);
    server.serve("/new.txt", CannedResponse::ok(std::string(4096, '\n') + "13"));
    EXPECT_EQ(runUpdate(false), 0);
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("new.txt"), "12");
    EXPECT_EQ(readFile("version.txt"), "12");
    EXPECT_NE(readFile("errors.txt").value_or("").find("larger than 4096"), std::string::npos);
}

}  // namespace
