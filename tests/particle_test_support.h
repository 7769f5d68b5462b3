#pragma once
// What the particle and explosion tests share: a real device in the game
// record, an empty emitter list, and sprite images written on the spot.

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <string>

#include "core/game_world.h"
#include "effects/particle_emitters.h"
#include "gl_test_window.h"
#include "temp_folder.h"
#include "world_reset.h"

// A plain white square image; BMP or PNG by the name's ending.
inline bool writeSpriteImage(const std::string& fileName, int size = 8) {
    SDL_Surface* image = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32);
    if (image == nullptr) return false;
    SDL_FillRect(image, nullptr, SDL_MapRGBA(image->format, 255, 255, 255, 255));
    const bool png = fileName.size() > 4 && fileName.substr(fileName.size() - 4) == ".png";
    const int result =
        png ? IMG_SavePNG(image, fileName.c_str()) : SDL_SaveBMP(image, fileName.c_str());
    SDL_FreeSurface(image);
    return result == 0;
}

class ParticleWorld : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device";
        previousList = world.emitters;
        world.device = gl.device.get();
        world.emitters = createEmitterList();
    }
    void TearDown() override {
        destroyEmitterList();
        world.device = nullptr;
        world.emitters = previousList;
    }

    std::vector<ParticleEmitter*>& entries() { return world.emitters->entries; }

    TempWorkingFolder folder;
    GLTestWindow gl{128, 128};
    EmitterList* previousList = nullptr;
};
