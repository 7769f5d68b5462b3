#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "core/platform/clock.h"
#include "temp_folder.h"
#include "updater/platform/display.h"
#include "updater/status_window.h"
#include "updater/updater_run.h"
#include "updater_files.h"
#include "updater_test_server.h"

namespace {

const std::string kStaleInstaller = "#!/bin/sh\necho stale >> ran.txt\n";

void flushWindowSystem() {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

class UpdaterFlow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listening());
        writeProgram("Game", standInScript("./Game"));
        settings.endpoint = server.baseUrl();
        settings.downloads.connectTimeoutMs = 2000;
        settings.downloads.transferTimeoutMs = 700;
        settings.installingShownMs = 50;
        flushWindowSystem();
    }
    // Closing the window leaves its quit message behind.
    void TearDown() override { flushWindowSystem(); }

    // Runs the updater and lets what it started finish, so its record is there.
    UpdaterOutcome run() {
        std::remove("ran.txt");
        UpdaterOutcome outcome = runUpdater(settings);
        reap(outcome.started.processId);
        return outcome;
    }
    void publish(const std::string& version) {
        server.serve("/new.txt", CannedResponse::ok(version));
        server.serve("/update.exe", CannedResponse::ok(standInScript("./update.exe")));
    }

    TempWorkingFolder folder;
    TestHttpServer server;
    UpdaterSettings settings;
};

TEST_F(UpdaterFlow, EqualVersionsStartTheGameAndLeaveTheInstalledVersionAlone) {
    writeFile("version.txt", "12");
    publish("12");
    const UpdaterOutcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("version.txt"), "12");
    EXPECT_EQ(readFile("new.txt"), "12");
    EXPECT_EQ(server.requests(), std::vector<std::string>{"/new.txt"});
    EXPECT_FALSE(std::filesystem::exists("update.exe"));
}

TEST_F(UpdaterFlow, ANewVersionFetchesAndStartsTheInstallerAndIsRecorded) {
    writeFile("version.txt", "12");
    publish("13");
    const UpdaterOutcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 0);  // no message came in the bound
    EXPECT_EQ(outcome.started.path, "./update.exe");
    EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
    EXPECT_EQ(readFile("version.txt"), "13");
    EXPECT_EQ(readFile("update.exe"), standInScript("./update.exe"));
    EXPECT_EQ(server.requests(), (std::vector<std::string>{"/new.txt", "/update.exe"}));

    // The next start finds the versions equal.
    EXPECT_EQ(run().exitCode, 0);
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("version.txt"), "13");
}

TEST_F(UpdaterFlow, TheVersionIsRecordedBeforeTheInstallerStarts) {
    // An installer may read or rewrite the record as soon as it starts.
    writeFile("version.txt", "12");
    publish("13");
    const int watch = watchFolder();
    run();
    const std::vector<std::string> events = folderEvents(watch);
    const auto recorded = std::find(events.begin(), events.end(), "moved in version.txt");
    const auto started = std::find(events.begin(), events.end(), "opened update.exe");
    ASSERT_NE(started, events.end());
    EXPECT_LT(recorded, started) << testing::PrintToString(events);
}

TEST_F(UpdaterFlow, APublishedLineBreakReadsAsTheEmptyVersion) {
    writeFile("version.txt", "12");
    publish("13\n");
    run();
    EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
    EXPECT_EQ(readFile("version.txt"), "");
    // Both sides now read as version 0.
    run();
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("version.txt"), "");
}

TEST_F(UpdaterFlow, AnyDifferenceUpdatesAndThePublishedTextIsRecordedAsRead) {
    const struct {
        const char* installed;
        const char* published;
        const char* recorded;
    } cases[] = {
        {"12", "11", "11"},     // lower also updates
        {"12", "3\n13", "13"},  // the last line counts
        {"12", " 13 beta", " 13 beta"},
        {"", "1", "1"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.published);
        writeFile("version.txt", each.installed);
        publish(each.published);
        run();
        EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
        EXPECT_EQ(readFile("version.txt"), each.recorded);
    }
}

TEST_F(UpdaterFlow, VersionsAreComparedAsNumbers) {
    writeFile("version.txt", "12");
    publish(" 12abc");
    run();
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("version.txt"), "12");
}

TEST_F(UpdaterFlow, WithBothFilesAbsentTheGameStartsAndNothingIsCreated) {
    const UpdaterOutcome outcome = run();  // the server knows no "/new.txt"
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_FALSE(std::filesystem::exists("version.txt"));
    EXPECT_FALSE(std::filesystem::exists("new.txt"));
}

TEST_F(UpdaterFlow, AnUnpublishedVersionAgainstAnInstalledOneInstallsVersionZero) {
    writeFile("version.txt", "12");
    server.serve("/update.exe", CannedResponse::ok(standInScript("./update.exe")));
    run();
    EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
    EXPECT_EQ(readFile("version.txt"), "0");
}

TEST_F(UpdaterFlow, AFailedInstallerFetchStartsTheGameAndNothingStale) {
    const struct {
        const char* what;
        CannedResponse response;
    } cases[] = {
        {"not found", CannedResponse::error(404)},
        {"server error", CannedResponse::error(500)},
        {"body cut short", CannedResponse::cutShort(standInScript("./update.exe"), 4000)},
        {"no answer", CannedResponse::stallBeforeAnswer()},
        {"stalls in the body", CannedResponse::stallInBody(standInScript("./update.exe"), 4000)},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        writeFile("version.txt", "12");
        writeProgram("update.exe", kStaleInstaller);
        server.serve("/new.txt", CannedResponse::ok("13"));
        server.serve("/update.exe", each.response);
        const UpdaterOutcome outcome = run();
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(readFile("ran.txt"), "./Game\n");
        EXPECT_EQ(readFile("version.txt"), "12");
        EXPECT_EQ(readFile("update.exe"), kStaleInstaller);
    }
}

TEST_F(UpdaterFlow, WithTheServerDownTheGameStartsAndNothingStale) {
    settings.endpoint = "http://127.0.0.1:" + std::to_string(refusingLoopbackPort());
    writeFile("version.txt", "12");
    writeFile("new.txt", "13");  // fetched by an earlier run
    writeProgram("update.exe", kStaleInstaller);
    const UpdaterOutcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(readFile("ran.txt"), "./Game\n");
    EXPECT_EQ(readFile("version.txt"), "12");
    EXPECT_EQ(readFile("new.txt"), "13");
}

TEST_F(UpdaterFlow, AnInstallerThatCannotRunStartsTheGameAndPutsTheRecordBack) {
    const std::optional<std::string> records[] = {"12", "12\r\n", std::nullopt};
    for (const auto& previous : records) {
        SCOPED_TRACE(previous.value_or("no record"));
        std::remove("version.txt");
        if (previous) writeFile("version.txt", *previous);
        server.serve("/new.txt", CannedResponse::ok("13"));
        server.serve("/update.exe", CannedResponse::ok("MZ this is no program here"));
        const UpdaterOutcome outcome = run();
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(readFile("ran.txt"), "./Game\n");
        // Exactly as it was, so the next start tries the update again.
        EXPECT_EQ(readFile("version.txt"), previous);
        std::vector<std::string> expected = {"Game", "new.txt", "ran.txt", "update.exe"};
        if (previous) expected.push_back("version.txt");
        EXPECT_EQ(folderEntries(), expected);
    }
}

// Records what the status line said when the updater waited.
class WatchingClock final : public platform::Clock {
public:
    WatchingClock() { platform::installClock(this); }
    ~WatchingClock() override { platform::installClock(nullptr); }
    uint32_t milliseconds() override { return now += msPerRead; }
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        statusDuringSleep = statusLabel ? statusLabel->text() : "";
    }
    uint32_t now = 0;
    uint32_t msPerRead = 0;
    std::vector<uint32_t> sleeps;
    std::string statusDuringSleep;
};

TEST_F(UpdaterFlow, TheOneMessageIsDispatchedThenTheRestOfTheSecondWaited) {
    ASSERT_TRUE(platform::displayAvailable()) << "the tests run with a display";
    writeFile("version.txt", "12");
    publish("13");
    settings.installingShownMs = 1000;
    // A key press for the updater's window, the only one there will be.
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_ESCAPE;
    ASSERT_EQ(SDL_PushEvent(&key), 1);

    WatchingClock clock;
    // Time passes while the message is awaited; it counts against the second.
    clock.msPerRead = 300;
    const UpdaterOutcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 0x1B);  // the key's code is the message's wParam
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_LE(clock.sleeps.front(), 700u);
    EXPECT_EQ(clock.statusDuringSleep, kInstallingText);
    EXPECT_EQ(readFile("ran.txt"), "./update.exe\n");
}

TEST_F(UpdaterFlow, AQuitMessageEndsTheUpdaterWithItsCodeAndNoWait) {
    ASSERT_TRUE(platform::displayAvailable()) << "the tests run with a display";
    writeFile("version.txt", "12");
    publish("13");
    settings.installingShownMs = 1000;
    platform::postQuitMessage(9);

    WatchingClock clock;
    const UpdaterOutcome outcome = run();
    EXPECT_EQ(outcome.exitCode, 9);
    EXPECT_TRUE(clock.sleeps.empty());
}

}  // namespace
