#include <gtest/gtest.h>

#include <chrono>

#include "temp_folder.h"
#include "updater/platform/download.h"
#include "updater_files.h"
#include "updater_test_server.h"

namespace {

// Far more than any body served here.
constexpr uint64_t kRoomy = 1 << 20;

// Short enough that the stalling cases end quickly.
platform::DownloadLimits quickLimits() {
    platform::DownloadLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.transferTimeoutMs = 700;
    return limits;
}

class UpdaterDownload : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.listening()); }
    std::string url(const std::string& path) const { return server.baseUrl() + path; }

    TempWorkingFolder folder;
    TestHttpServer server;
};

TEST_F(UpdaterDownload, AWholeBodyReplacesTheFile) {
    writeFile("new.txt", "12");
    server.serve("/new.txt", CannedResponse::ok("13"));
    ASSERT_TRUE(platform::downloadToFile(url("/new.txt"), "new.txt", quickLimits(), kRoomy));
    EXPECT_EQ(readFile("new.txt"), "13");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"new.txt"});

    // A binary body arrives byte for byte, and an absent file is created.
    std::string installer(200000, '\0');
    for (size_t i = 0; i < installer.size(); ++i) installer[i] = static_cast<char>(i * 7 % 251);
    server.serve("/update.exe", CannedResponse::ok(installer));
    ASSERT_TRUE(platform::downloadToFile(url("/update.exe"), "update.exe", quickLimits(), kRoomy));
    EXPECT_EQ(readFile("update.exe"), installer);
}

TEST_F(UpdaterDownload, FailuresLeaveThePreviousFileExactlyAsItWas) {
    const struct {
        const char* what;
        CannedResponse response;
    } cases[] = {
        {"not found", CannedResponse::error(404)},
        {"forbidden", CannedResponse::error(403)},
        {"server error", CannedResponse::error(500)},
        {"unavailable", CannedResponse::error(503)},
        {"body cut short", CannedResponse::cutShort("1", 2)},
        {"no answer", CannedResponse::stallBeforeAnswer()},
        {"stalls in the body", CannedResponse::stallInBody("1", 2)},
        {"no content",
         []() {
             CannedResponse response = CannedResponse::ok("");
             response.status = 204;
             return response;
         }()},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        writeFile("new.txt", "12\n");
        server.serve("/new.txt", each.response);
        EXPECT_FALSE(platform::downloadToFile(url("/new.txt"), "new.txt", quickLimits(), kRoomy));
        EXPECT_EQ(readFile("new.txt"), "12\n");
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"new.txt"});

        // Where there was no file, there is still none.
        EXPECT_FALSE(platform::downloadToFile(url("/new.txt"), "fresh.txt", quickLimits(), kRoomy));
        EXPECT_FALSE(std::filesystem::exists("fresh.txt"));
    }
}

TEST_F(UpdaterDownload, ABodyPastItsBoundIsAbandonedWhetherItsLengthIsDeclaredOrNot) {
    const std::string body(5000, '7');
    for (const CannedResponse& response :
         {CannedResponse::ok(body), CannedResponse::undeclaredLength(body)}) {
        writeFile("new.txt", "12");
        server.serve("/new.txt", response);
        const platform::Download tooLarge =
            platform::downloadToFile(url("/new.txt"), "new.txt", quickLimits(), body.size() - 1);
        EXPECT_FALSE(tooLarge);
        EXPECT_NE(tooLarge.failure.find("larger than 4999 bytes"), std::string::npos);
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"new.txt"});
        EXPECT_EQ(readFile("new.txt"), "12");
        std::string held = "old";
        EXPECT_FALSE(platform::downloadToMemory(url("/new.txt"), quickLimits(), 4999, held));
        EXPECT_EQ(held, "");

        // Exactly at the bound it arrives whole.
        EXPECT_TRUE(platform::downloadToFile(url("/new.txt"), "new.txt", quickLimits(), 5000));
        EXPECT_EQ(readFile("new.txt"), body);
        EXPECT_TRUE(platform::downloadToMemory(url("/new.txt"), quickLimits(), 5000, held));
        EXPECT_EQ(held, body);
    }
}

TEST_F(UpdaterDownload, ARefusedConnectionLeavesThePreviousFile) {
    writeFile("new.txt", "12");
    const std::string nobody = "http://127.0.0.1:" + std::to_string(refusingLoopbackPort());
    EXPECT_FALSE(platform::downloadToFile(nobody + "/new.txt", "new.txt", quickLimits(), kRoomy));
    EXPECT_EQ(readFile("new.txt"), "12");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"new.txt"});
}

TEST_F(UpdaterDownload, AStalledTransferEndsWithoutTheWholeTransferBound) {
    // The whole-transfer bound is far off; the stall guard ends it.
    platform::DownloadLimits limits;
    limits.transferTimeoutMs = 120'000;
    limits.stallSeconds = 1;
    writeFile("update.exe", "old");
    server.serve("/update.exe", CannedResponse::stallInBody("#!/bin/sh\n", 5000));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::downloadToFile(url("/update.exe"), "update.exe", limits, kRoomy));
    // Not a speed goal: only far less than the whole-transfer bound shows
    // that the stall guard, and not that bound, ended the transfer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(readFile("update.exe"), "old");
}

TEST_F(UpdaterDownload, RedirectsAreFollowedWithinALimit) {
    server.serve("/new.txt", CannedResponse::redirect("/moved/new.txt"));
    server.serve("/moved/new.txt", CannedResponse::redirect(url("/final/new.txt")));
    server.serve("/final/new.txt", CannedResponse::ok("13"));
    ASSERT_TRUE(platform::downloadToFile(url("/new.txt"), "new.txt", quickLimits(), kRoomy));
    EXPECT_EQ(readFile("new.txt"), "13");
    EXPECT_EQ(server.requests(),
              (std::vector<std::string>{"/new.txt", "/moved/new.txt", "/final/new.txt"}));

    // Going round in circles fails and keeps the file.
    server.serve("/loop", CannedResponse::redirect("/loop"));
    EXPECT_FALSE(platform::downloadToFile(url("/loop"), "new.txt", quickLimits(), kRoomy));
    EXPECT_EQ(readFile("new.txt"), "13");
    EXPECT_LE(server.requests().size(), 3u + 1u + quickLimits().maxRedirects);

    // A redirect to a place that is not there is a failure like any other.
    server.serve("/gone", CannedResponse::redirect("/nowhere"));
    EXPECT_FALSE(platform::downloadToFile(url("/gone"), "new.txt", quickLimits(), kRoomy));
    EXPECT_EQ(readFile("new.txt"), "13");
}

TEST_F(UpdaterDownload, AFileArrivesReadableAndNotRunnable) {
    server.serve("/update.exe", CannedResponse::ok("#!/bin/sh\n"));
    // Data files get the mode a plainly written file would: what the umask leaves of 0666.
    const mode_t mask = umask(027);
    const bool arrived =
        platform::downloadToFile(url("/update.exe"), "data.txt", quickLimits(), kRoomy).complete;
    umask(mask);
    ASSERT_TRUE(arrived);
    EXPECT_FALSE(isExecutable("data.txt"));
    struct stat status {};
    ASSERT_EQ(stat("data.txt", &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

}  // namespace
