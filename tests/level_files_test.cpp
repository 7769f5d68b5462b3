#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

#include "core/game_world.h"
#include "effects/particle_emitters.h"
#include "gameplay/level_files.h"
#include "gameplay/number_text.h"
#include "scene/meshmanager.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

void writeFile(const std::string& name, const std::string& content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
}

class LevelFiles : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        world.mode = GameMode::Playing;
        for (int i = 0; i < kPickupSlots; ++i) {
            pickupObjects[i] = std::make_unique<SceneObject>(nullptr);
            world.pickups[i] = pickupObjects[i].get();
        }
    }
    void TearDown() override {
        for (auto*& pickup : world.pickups) pickup = nullptr;
    }

    // Loads level 3 from the given rock and pickup texts.
    void load(const std::string& rocks, const std::string* pickups = nullptr) {
        world.level = 3;
        writeFile("Level3.vr", rocks);
        if (pickups != nullptr) writeFile("Level3.su", *pickups);
        loadLevel();
    }

    TempWorkingFolder folder;
    std::unique_ptr<SceneObject> pickupObjects[kPickupSlots];
};

TEST_F(LevelFiles, RecordsAreFourLinesAndAFinalLineFeedAddsOneMore) {
    load("10\n35\n400\n\n-30\n35\n800\n\n");
    ASSERT_EQ(world.rockCount, 3);
    EXPECT_EQ(world.rockPos[0].x, 10);
    EXPECT_EQ(world.rockPos[0].y, 35);
    EXPECT_EQ(world.rockPos[0].z, 400);
    EXPECT_EQ(world.rockPos[1].x, -30);
    EXPECT_EQ(world.rockPos[1].z, 800);
    // The read after the last line feed still makes a record, of empty lines.
    EXPECT_EQ(world.rockPos[2].x, 0);
    EXPECT_EQ(world.rockPos[2].y, 0);
    EXPECT_EQ(world.rockPos[2].z, 0);
    EXPECT_EQ(world.levelEndZ, -800.0f);
    EXPECT_EQ(world.mode, GameMode::Playing);
}

TEST_F(LevelFiles, FilesThatEndInsideTheLastRecordYieldExactlyTheirRecords) {
    load("10\n35\n400\n\n-30\n35\n800");
    EXPECT_EQ(world.rockCount, 2);
    load("10\n35\n400\n\n-30\n35\n800\n");
    EXPECT_EQ(world.rockCount, 2);
    load("10\n35\n400\n\n-30\n35\n800\nend");
    EXPECT_EQ(world.rockCount, 2);
}

TEST_F(LevelFiles, ARecordCutShortRepeatsTheLastLineRead) {
    load("10\n35");
    ASSERT_EQ(world.rockCount, 1);
    EXPECT_EQ(world.rockPos[0].z, 35);
    load("10\n35\n");
    ASSERT_EQ(world.rockCount, 1);
    EXPECT_EQ(world.rockPos[0].z, 0);
}

TEST_F(LevelFiles, AnEmptyRockFileGivesOneRockAtTheOrigin) {
    world.levelEndZ = 50.0f;
    load("");
    ASSERT_EQ(world.rockCount, 1);
    EXPECT_EQ(world.rockPos[0].x, 0);
    EXPECT_EQ(world.rockPos[0].z, 0);
    EXPECT_EQ(world.levelEndZ, 0.0f);
}

TEST_F(LevelFiles, NumbersConvertLikeTheirFileType) {
    const std::string pickups = "12.9\n1e2\n-7\n\n";
    load("12.9\n-12.9\n1e2\n\n", &pickups);
    EXPECT_EQ(world.rockPos[0].x, 12);
    EXPECT_EQ(world.rockPos[0].y, -12);
    EXPECT_EQ(world.rockPos[0].z, 100);
    // Pickup numbers are integers: conversion stops at the point.
    const Matrix& placed = world.pickups[0]->translation;
    EXPECT_EQ(placed.m[3][0], 12.0f);
    EXPECT_EQ(placed.m[3][1], 1.0f);
    EXPECT_EQ(placed.m[3][2], 7.0f);  // stands at world (x, y, -z)
}

TEST_F(LevelFiles, CarriageReturnsAndStrayTextChangeNoValue) {
    load("  10\r\n35abc\r\n400\r\n\r\n");
    EXPECT_EQ(world.rockPos[0].x, 10);
    EXPECT_EQ(world.rockPos[0].y, 35);
    EXPECT_EQ(world.rockPos[0].z, 400);
    EXPECT_EQ(world.rockPos[1].x, 0);  // "\r" then the final line feed: one more record
}

TEST_F(LevelFiles, OnlyDecimalTextIsANumber) {
    world.levelEndZ = 50.0f;
    load("0x10\n0x1p3\ninf\n\n-infinity\n 0X1P3\nNAN\n");
    for (const RockPosition& rock : {world.rockPos[0], world.rockPos[1]})
        EXPECT_EQ(std::tie(rock.x, rock.y, rock.z), std::make_tuple(0, 0, 0));
    EXPECT_EQ(world.levelEndZ, 0.0f);
}

TEST_F(LevelFiles, OutOfRangeNumbersAreHeldAtTheEndsOfTheRange) {
    load("1e30\n-1e30\nnan\n\n99999999999\n0\n-2147483648\n\n1" + std::string(400, '0') +
         "e-80\n-1e400\n." + std::string(400, '0') + "1e20\n");
    EXPECT_EQ(world.rockPos[0].x, 2147483647);
    EXPECT_EQ(world.rockPos[0].y, -2147483647 - 1);
    EXPECT_EQ(world.rockPos[0].z, 0);
    EXPECT_EQ(world.rockPos[1].x, 2147483647);
    EXPECT_EQ(world.rockPos[1].z, -2147483647 - 1);
    // Beyond a double's range: the huge held at the ends, the tiny at 0.
    EXPECT_EQ(world.rockPos[2].x, 2147483647);
    EXPECT_EQ(world.rockPos[2].y, -2147483647 - 1);
    EXPECT_EQ(world.rockPos[2].z, 0);
    const std::string pickups = "99999999999\n-99999999999\n5\n";
    load("1\n2\n3", &pickups);
    EXPECT_EQ(world.pickups[0]->translation.m[3][0], 2147483647.0f);
    EXPECT_EQ(world.pickups[0]->translation.m[3][1], -2147483648.0f);
}

// Each number as decimal text may write it, read alike bare, after a plus,
// and mirrored after a minus (with white space before): a point before the
// first digit, leading zeros, and an exponent with a sign of its own.
TEST(NumberText, EveryWrittenFormReadsTheSameInEitherSign) {
    constexpr int32_t kHeld = std::numeric_limits<int32_t>::max();
    const struct {
        std::string text;
        int32_t decimal, integer;
    } numbers[] = {
        {"12.9", 12, 12}, {".5e1", 5, 0},
        {"007.9", 7, 7},  {"0." + std::string(400, '0') + "1", 0, 0},
        {"1e-400", 0, 1}, {"1e400", kHeld, 1},
        {"25e-1", 2, 25},
    };
    for (const auto& number : numbers) {
        for (const std::string sign : {"", "+", " \t\n\v\f\r-"}) {
            const int mirror = sign.ends_with('-') ? -1 : 1;
            const std::string text = sign + number.text;
            const int32_t decimal =
                number.decimal == kHeld && mirror < 0 ? -kHeld - 1 : mirror * number.decimal;
            EXPECT_EQ(truncatedDecimal(text), decimal) << testing::PrintToString(text);
            EXPECT_EQ(integerText(text), mirror * number.integer) << testing::PrintToString(text);
        }
    }
}

TEST_F(LevelFiles, SlotCountsAreCapped) {
    std::string rocks, pickups;
    for (int i = 0; i < 60; ++i) rocks += std::to_string(i) + "\n35\n" + std::to_string(100 + i) + "\n\n";
    for (int i = 0; i < 7; ++i) pickups += "0\n35\n" + std::to_string(200 + i) + "\n\n";
    load(rocks, &pickups);
    EXPECT_EQ(world.rockCount, 50);
    EXPECT_EQ(world.rockPos[49].x, 49);
    EXPECT_EQ(world.pickupCount, 5);
    EXPECT_EQ(world.levelEndZ, -149.0f);  // the 51st record is never read
}

TEST_F(LevelFiles, PickupFlagsFollowTheRecordsRead) {
    const std::string pickups = "0\n35\n100\n\n30\n35\n200\n\n-30\n35\n300";
    world.pickupActive[4] = 1;
    load("0\n35\n500", &pickups);
    EXPECT_EQ(world.pickupCount, 3);
    const uint8_t expected[kPickupSlots] = {1, 1, 1, 0, 0};
    for (int i = 0; i < kPickupSlots; ++i) EXPECT_EQ(world.pickupActive[i], expected[i]) << i;
    EXPECT_EQ(world.pickups[1]->translation.m[3][0], 30.0f);
    EXPECT_EQ(world.pickups[2]->translation.m[3][2], -300.0f);
}

TEST_F(LevelFiles, LevelEndOnlyEverComesCloser) {
    load("0\n35\n900");
    EXPECT_EQ(world.levelEndZ, -900.0f);
    load("0\n35\n400");
    EXPECT_EQ(world.levelEndZ, -900.0f);
    // A rock behind the start lowers the end only while it is above 20.
    resetWorld();
    load("0\n35\n-20");
    EXPECT_EQ(world.levelEndZ, 20.0f);
    world.levelEndZ = 10.0f;
    load("0\n35\n-20");
    EXPECT_EQ(world.levelEndZ, 10.0f);
}

TEST_F(LevelFiles, MissingPickupFileClearsEveryPickup) {
    const std::string pickups = "0\n35\n100";
    load("0\n35\n500", &pickups);
    ASSERT_EQ(world.pickupCount, 1);
    std::filesystem::remove("Level3.su");
    world.pickupActive[0] = 1;
    load("0\n35\n500");
    EXPECT_EQ(world.pickupActive[0], 0);
    EXPECT_EQ(world.pickupCount, 1);  // kept, but nothing is present
}

TEST_F(LevelFiles, MissingRockFileEndsTheGameAndKeepsThePreviousRocks) {
    load("10\n35\n400");
    world.level = 4;  // no Level4.vr
    writeFile("Level4.su", "30\n35\n100");
    world.mode = GameMode::Playing;
    loadLevel();
    EXPECT_EQ(world.mode, GameMode::TheEnd);
    EXPECT_EQ(world.rockCount, 1);
    EXPECT_EQ(world.rockPos[0].x, 10);
    EXPECT_EQ(world.levelEndZ, -400.0f);
    // The pickup file of the level asked for is still read.
    EXPECT_EQ(world.pickupActive[0], 1);
    EXPECT_EQ(world.pickups[0]->translation.m[3][0], 30.0f);
}

// A folder, a device or a pipe named like a level's files reads as no file
// at all; a link to a real file still reads.
TEST_F(LevelFiles, AnythingButARegularFileCountsAsMissing) {
    namespace fs = std::filesystem;
    fs::create_directory("Level4.vr");
    fs::create_directory("Level4.su");
    fs::create_symlink("/dev/null", "Level5.vr");
    fs::create_symlink("/dev/null", "Level5.su");
    ASSERT_EQ(mkfifo("Level6.vr", 0644), 0);
    ASSERT_EQ(mkfifo("Level6.su", 0644), 0);
    const std::string pickups = "30\n35\n100";
    alarm(10);  // opening a pipe to read would otherwise wait for a writer for ever
    for (int level = 4; level <= 6; ++level) {
        load("10\n35\n400", &pickups);
        world.mode = GameMode::Playing;
        world.level = level;
        loadLevel();
        EXPECT_EQ(world.mode, GameMode::TheEnd) << level;
        EXPECT_EQ(world.rockPos[0].x, 10) << level;
        EXPECT_EQ(world.pickupActive[0], 0) << level;
    }
    alarm(0);
    fs::create_symlink("Level3.vr", "Level7.vr");
    world.mode = GameMode::Playing;
    world.level = 7;
    loadLevel();
    EXPECT_EQ(world.mode, GameMode::Playing);
}

TEST_F(LevelFiles, FileNamesCarryTheLevelNumberAsIs) {
    world.level = 12;
    writeFile("Level12.vr", "1\n2\n3");
    loadLevel();
    EXPECT_EQ(world.rockPos[0].z, 3);
    world.level = -2;
    writeFile("Level-2.vr", "4\n5\n6");
    loadLevel();
    EXPECT_EQ(world.rockPos[0].z, 6);
}

}  // namespace
