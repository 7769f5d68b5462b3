#include <gtest/gtest.h>

#include "temp_folder.h"
#include "updater/version_file.h"
#include "updater_files.h"

namespace {

TEST(UpdaterVersionFile, ReadsTheLastLineOfTheFile) {
    TempWorkingFolder folder;
    const struct {
        const char* content;
        const char* text;
    } cases[] = {
        {"12", "12"},   {"3\n12", "12"},  {"13\n", ""},       {"", ""},           {"3\r\n12", "12"},
        {"12\r\n", ""}, {"1\n2\n3", "3"}, {" 7abc", " 7abc"}, {"12\r\n13", "13"}, {"\n", ""},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(each.content)));
        writeFile("version.txt", each.content);
        EXPECT_EQ(readVersionText("version.txt"), each.text);
    }
}

TEST(UpdaterVersionFile, AFileThatCannotBeOpenedReadsAsZero) {
    TempWorkingFolder folder;
    EXPECT_EQ(readVersionText("version.txt"), "0");
    writeFile("locked.txt", "12");
    chmod("locked.txt", 0);
    // Permissions do not stop root; the check only means something for others.
    if (geteuid() != 0) {
        EXPECT_EQ(readVersionText("locked.txt"), "0");
    }
}

TEST(UpdaterVersionFile, VersionValuesAreReadAsAtoiReadsThem) {
    EXPECT_EQ(versionValue(" 7abc"), 7);
    EXPECT_EQ(versionValue("\t-4"), -4);
    EXPECT_EQ(versionValue("v13"), 0);
}

TEST(UpdaterVersionFile, WritesExactlyTheTextInOneStep) {
    TempWorkingFolder folder;
    writeFile("version.txt", "12\nold content that is longer");
    ASSERT_TRUE(writeVersionText("version.txt", "13"));
    EXPECT_EQ(readFile("version.txt"), "13");
    ASSERT_TRUE(writeVersionText("version.txt", ""));
    EXPECT_EQ(readFile("version.txt"), "");
    // The temporary file it was written to is gone.
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"version.txt"});
}

TEST(UpdaterVersionFile, AFailedWriteLeavesThePreviousFile) {
    TempWorkingFolder folder;
    // A folder in the file's place cannot be replaced by a file.
    std::filesystem::create_directory("version.txt");
    EXPECT_FALSE(writeVersionText("version.txt", "13"));
    EXPECT_TRUE(std::filesystem::is_directory("version.txt"));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"version.txt"});
    // Nor can anything be written where the folder is missing.
    EXPECT_FALSE(writeVersionText("missing/version.txt", "13"));
}

}  // namespace
