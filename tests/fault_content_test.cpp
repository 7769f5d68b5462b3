// Damaged content files: the game reads them without crashing, without
// hanging and without taking memory in proportion to what a broken file holds.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <thread>

#include "audio/music.h"
#include "audio/platform/audio_mixer.h"
#include "audio/sound.h"
#include "core/game_world.h"
#include "core/window_input.h"
#include "fault_support.h"
#include "fuzz/x_binary.h"
#include "gameplay/level_files.h"
#include "gameplay/progress_file.h"
#include "gl_test_window.h"
#include "message_recorder.h"
#include "scene/meshmanager.h"
#include "scene/platform/texture_file.h"
#include "scene/platform/x_mesh_file.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

constexpr const char* kModelError = "שגיאה בטעינת מודל.";
constexpr const char* kTextureError = "שגיאה בטעינת טקסטורה.";
constexpr long kMemoryAllowanceKb = 16 * 1024;

class FaultContent : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        world.mode = GameMode::Playing;
    }
    void TearDown() override { resetWorld(); }

    TempWorkingFolder folder;
};

TEST_F(FaultContent, LevelFilesOfBinaryGarbageLoadWithinTheirSlots) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        fault::writeFile("Level0.vr", fault::noise(64 * 1024, seed));
        fault::writeFile("Level0.su", fault::noise(64 * 1024, seed + 100));
        loadLevel();
        EXPECT_EQ(world.mode, GameMode::Playing) << seed;
        EXPECT_GE(world.rockCount, 1) << seed;
        EXPECT_LE(world.rockCount, kRockSlots) << seed;
        EXPECT_GE(world.pickupCount, 1) << seed;
        EXPECT_LE(world.pickupCount, kPickupSlots) << seed;
    }
}

TEST_F(FaultContent, AMegabyteOfDigitsIsReadInBoundedMemory) {
    // One line of digits with no end, as long as a line file may be: each
    // reader keeps only the line's start.
    fault::writeRepeated("Level0.vr", "7", 1);
    fault::writeRepeated("Level0.su", "1234567890", 1);
    fault::writeRepeated("Data.vrp", "3", 1);
    const fault::PeakMemory memory;
    ASSERT_TRUE(memory.available());

    loadLevel();
    EXPECT_EQ(world.rockCount, 1);
    EXPECT_EQ(world.rockPos[0].x, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(world.rockPos[0].z, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(world.levelEndZ, -2147483648.0f);
    EXPECT_EQ(world.pickupCount, 1);
    EXPECT_EQ(world.pickupActive[0], 1);
    ASSERT_TRUE(loadProgress());
    EXPECT_EQ(world.level, std::numeric_limits<int32_t>::max());

    EXPECT_LT(memory.riseKb(), kMemoryAllowanceKb);
}

TEST_F(FaultContent, LinesOfDigitsStopAtTheLastSlot) {
    fault::writeRepeated("Level0.vr", "123456789\n", 1);
    const fault::PeakMemory memory;
    ASSERT_TRUE(memory.available());
    loadLevel();
    EXPECT_EQ(world.rockCount, kRockSlots);
    EXPECT_EQ(world.rockPos[kRockSlots - 1].y, 123456789);
    EXPECT_LT(memory.riseKb(), kMemoryAllowanceKb);
}

// Every shipped mesh cut short, as text and as binary: refused, or read into
// data whose indices and subsets the device can trust.
TEST_F(FaultContent, TruncatedMeshesAreRefusedOrReadSafely) {
    int refused = 0, tried = 0;
    for (const char* name : {"rock.x", "bigship.x", "SkyDome.x", "BombS.x", "Rocket.x"}) {
        const std::string text = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/" + name);
        ASSERT_FALSE(text.empty()) << name;
        for (const std::string& whole : {text, x_binary::binaryFile(text)}) {
            for (size_t cut :
                 {size_t{3}, size_t{16}, size_t{17}, whole.size() / 7, whole.size() / 3,
                  whole.size() / 2, whole.size() - 40, whole.size() - 1}) {
                fault::writeFile("cut.x", whole.substr(0, cut));
                ++tried;
                const std::optional<platform::XMeshFile> file = platform::readXMeshFile("cut.x");
                if (!file) {
                    ++refused;
                    continue;
                }
                const platform::MeshData& mesh = file->mesh;
                for (uint32_t index : mesh.indices)
                    ASSERT_LT(index, mesh.vertices.size()) << name << " cut at " << cut;
                for (const platform::MeshSubset& subset : mesh.subsets)
                    ASSERT_LE(subset.firstIndex + subset.indexCount, mesh.indices.size());
            }
        }
        // The binary form itself is whole and reads like the text.
        fault::writeFile("whole.x", x_binary::binaryFile(text));
        EXPECT_TRUE(platform::readXMeshFile("whole.x").has_value()) << name;
    }
    // Most cuts leave a file that cannot be read at all.
    EXPECT_GT(refused, tried / 2);
}

class FaultContentOnDevice : public FaultContent {
protected:
    void SetUp() override {
        FaultContent::SetUp();
        ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device";
        world.device = gl.device.get();
    }
    void TearDown() override {
        delete world.materialBuffer;
        FaultContent::TearDown();
    }

    GLTestWindow gl{64, 64};
    MessageRecorder messages;
};

TEST_F(FaultContentOnDevice, ATruncatedMeshIsToldOnceAndDrawsNothing) {
    const std::string text = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/rock.x");
    fault::writeFile("rock.x", text.substr(0, text.size() / 2));
    folder.copyFromGame("rock.bmp");
    MeshResource rock(gl.device.get());
    rock.load("rock.x");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].caption, "שגיאה");
    EXPECT_EQ(messages.boxes[0].text, kModelError);
    EXPECT_EQ(rock.mesh, nullptr);
    rock.draw();
    rock.release();
}

TEST_F(FaultContentOnDevice, ImagesWithBrokenHeadersAreRefused) {
    const std::string png = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/sky.png");
    ASSERT_GT(png.size(), 64u);

    std::string badSignature = png;
    badSignature[1] = 'Q';
    fault::writeFile("signature.png", badSignature);
    EXPECT_EQ(platform::loadTextureFile(*gl.device, "signature.png"), nullptr);

    // A header whose checksum no longer matches its content.
    std::string badHeader = png;
    badHeader[17] = static_cast<char>(badHeader[17] ^ 0x40);
    fault::writeFile("header.png", badHeader);
    EXPECT_EQ(platform::loadTextureFile(*gl.device, "header.png"), nullptr);

    fault::writeFile("cut.png", png.substr(0, png.size() / 2));
    EXPECT_EQ(platform::loadTextureFile(*gl.device, "cut.png"), nullptr);

    fault::writeFile("noise.png", fault::noise(4096, 7));
    EXPECT_EQ(platform::loadTextureFile(*gl.device, "noise.png"), nullptr);
}

TEST_F(FaultContentOnDevice, AMeshWithABrokenTextureIsToldAndStillLoads) {
    folder.copyFromGame("SkyDome.x");
    std::string png = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/sky.png");
    png[1] = 'Q';
    fault::writeFile("sky.png", png);
    MeshResource sky(gl.device.get());
    sky.load("SkyDome.x");
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].text, kTextureError);
    EXPECT_NE(sky.mesh, nullptr);
    ASSERT_EQ(sky.textures.size(), 1u);
    EXPECT_EQ(sky.textures[0], nullptr);
    sky.draw();
    sky.release();
}

class FaultAudio : public FaultContent {
protected:
    void SetUp() override {
        FaultContent::SetUp();
        releaseMusic();
        platform::WindowDescription description;
        description.title = "fault audio test";
        description.width = 64;
        description.height = 64;
        description.procedure = windowProc;
        window = platform::createWindow(description);
        ASSERT_NE(window, nullptr) << "no display";
        messages.boxes.clear();
    }
    void TearDown() override {
        releaseMusic();
        platform::destroyWindow(window);
        FaultContent::TearDown();
    }

    MessageRecorder messages;
    platform::WindowHandle window = nullptr;
};

// Noise under the music's and the sound's names: silence or noise, never a
// crash, and nothing said to the player.
TEST_F(FaultAudio, NoiseForMusicAndSoundIsPlayedOrSkippedSilently) {
    fault::writeFile("something.mp3", fault::noise(256 * 1024, 11));
    fault::writeFile("explode.wav", fault::noise(64 * 1024, 12));
    startMusic(window);
    ASSERT_TRUE(platform::audioOpen()) << "the suite's audio driver did not open";
    playExplosionSound();
    // Long enough for the mixer's thread to decode what it took.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    windowProc(window, kMusicNotification, 0, 0);
    onMusicEvent();
    playExplosionSound();
    EXPECT_TRUE(messages.boxes.empty());

    // A RIFF header over noise: the sound loader reads past the header only.
    std::string wave = "RIFF\xff\xff\xff\x7fWAVEfmt \x10\x00\x00\x00";
    wave += fault::noise(4096, 13);
    fault::writeFile("explode.wav", wave);
    playExplosionSound();
    EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace
