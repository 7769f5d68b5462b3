#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/platform/clock.h"
#include "fake_clock.h"
#include "particle_test_support.h"

namespace {

using platform::SamplerState;

class ParticleEmitters : public ParticleWorld {
protected:
    void SetUp() override {
        ParticleWorld::SetUp();
        ASSERT_TRUE(writeSpriteImage("dot.bmp"));
    }

    bool makeFixed(int count, const Vec3& velocity = {1, 2, 3}) {
        return createEmitter(count, "dot.bmp", {0, 0, 0}, velocity, Fixed, 0xFFFFFFFF);
    }

    // The generator's output as the emitters take it: a 15-bit number.
    static float expectedDraw(int raw) {
        const int fifteenBits = RAND_MAX > 32767 ? raw / ((RAND_MAX / 32768) + 1) : raw;
        return static_cast<float>(static_cast<double>(fifteenBits) / 32767.0 - 0.5);
    }
};

TEST_F(ParticleEmitters, AParticleDiesOnlyWhenMoreThanTenSecondsOld) {
    // Also across the wrap of the 32-bit clock.
    for (uint32_t birth : {1000u, 0xFFFFF000u}) {
        FakeClock clock(birth);
        ASSERT_TRUE(makeFixed(3));
        ParticleEmitter* emitter = entries().back();
        clock.now = birth + 10000;
        expireParticles();
        EXPECT_EQ(emitter->active, 1) << birth;
        for (const Particle& p : emitter->particles) EXPECT_EQ(p.alive, 1) << birth;

        clock.now = birth + 10001;
        expireParticles();
        for (const Particle& p : emitter->particles) EXPECT_EQ(p.alive, 0) << birth;
        EXPECT_EQ(emitter->active, 0) << birth;
        updateEmitters();
        EXPECT_TRUE(entries().empty()) << birth;
    }
}

TEST_F(ParticleEmitters, ParticlesBornLaterLiveLongerAndTheEmitterWaitsForTheLast) {
    SteppingClock clock(500);
    ASSERT_TRUE(makeFixed(4));
    ParticleEmitter* emitter = entries().back();
    // Each particle read the clock for itself.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(emitter->particles[i].birthTime, 500u + i);

    clock.now = 500 + 10002;  // particles 0 and 1 are now over 10000 ms old
    expireParticles();
    EXPECT_EQ(emitter->particles[0].alive, 0);
    EXPECT_EQ(emitter->particles[1].alive, 0);
    EXPECT_EQ(emitter->particles[2].alive, 1);
    EXPECT_EQ(emitter->particles[3].alive, 1);
    EXPECT_EQ(emitter->active, 1);

    // Dead particles stay where they died.
    updateEmitters();
    EXPECT_EQ(emitter->particles[0].position, (Vec3{0, 0, 0}));
    EXPECT_EQ(emitter->particles[2].position, (Vec3{1, 2, 3}));

    clock.now = 500 + 10004;
    expireParticles();
    EXPECT_EQ(emitter->active, 0);
}

TEST_F(ParticleEmitters, AnEmitterWithoutParticlesEndsAtTheFirstAgeing) {
    FakeClock clock(0);
    ASSERT_TRUE(makeFixed(0));
    ASSERT_TRUE(makeFixed(-4));  // nothing to allocate: also no particles
    expireParticles();
    for (ParticleEmitter* emitter : entries()) EXPECT_EQ(emitter->active, 0);
    drawEmitters();
    EXPECT_TRUE(entries().empty());
}

TEST_F(ParticleEmitters, OnePassDropsEveryInactiveEmitterAndStillServesTheRest) {
    for (int round = 0; round < 2; ++round) {
        const bool drawing = round == 1;
        ASSERT_TRUE(makeFixed(2));
        ASSERT_TRUE(makeFixed(2));
        ASSERT_TRUE(makeFixed(5, {0.5f, 0, 0}));
        ASSERT_TRUE(makeFixed(1));
        ParticleEmitter* third = entries()[2];
        ParticleEmitter* fourth = entries()[3];
        entries()[0]->active = 0;
        entries()[1]->active = 0;
        if (drawing) {
            drawEmitters();
        } else {
            updateEmitters();
        }
        ASSERT_EQ(entries().size(), 2u) << round;
        EXPECT_EQ(entries()[0], third);  // order kept
        EXPECT_EQ(entries()[1], fourth);
        if (!drawing) {
            EXPECT_EQ(third->particles[4].position, (Vec3{0.5f, 0, 0}));
            EXPECT_EQ(fourth->particles[0].position, (Vec3{1, 2, 3}));
        }
        stopAllEmitters();
        updateEmitters();
        ASSERT_TRUE(entries().empty());
    }
}

TEST_F(ParticleEmitters, StopAllMarksButLeavesRemovalToTheNextPass) {
    ASSERT_TRUE(makeFixed(3));
    ASSERT_TRUE(makeFixed(3));
    stopAllEmitters();
    ASSERT_EQ(entries().size(), 2u);
    for (const Particle& p : entries()[0]->particles) EXPECT_EQ(p.alive, 1);
    // Clearing to black then drawing leaves the frame black: nothing was drawn.
    gl.device->setRenderState(platform::RenderState::Lighting, 0);
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
    drawEmitters();
    EXPECT_TRUE(entries().empty());
    for (uint32_t p : gl.device->readPixels()) ASSERT_EQ(p, 0xFF000000u);
}

TEST_F(ParticleEmitters, FixedVelocityTakesNoRandomNumbers) {
    std::srand(4242);
    const int next = std::rand();
    std::srand(4242);
    ASSERT_TRUE(makeFixed(25, {0.25f, -1.0f, 7.0f}));
    EXPECT_EQ(std::rand(), next);
    for (const Particle& p : entries()[0]->particles) {
        EXPECT_EQ(p.velocity, (Vec3{0.25f, -1.0f, 7.0f}));
        EXPECT_EQ(p.position, (Vec3{0, 0, 0}));
        EXPECT_EQ(p.color, 0xFFFFFFFFu);
    }
}

TEST_F(ParticleEmitters, RandomModesDrawThreeNumbersPerParticleInOrder) {
    constexpr int kCount = 6;
    std::srand(77);
    std::vector<int> sequence(3 * kCount + 1);
    for (int& value : sequence) value = std::rand();

    const Vec3 base{10, 20, 30};
    auto create = [&](int32_t mode) {
        std::srand(77);
        EXPECT_TRUE(createEmitter(kCount, "dot.bmp", {1, 1, 1}, base, mode, 0xFF00FF00));
        EXPECT_EQ(std::rand(), sequence[3 * kCount]) << "mode " << mode;
        return entries().back();
    };
    ParticleEmitter* random = create(Random);
    ParticleEmitter* five = create(5);
    ParticleEmitter* around = create(RandomAroundBase);

    for (int i = 0; i < kCount; ++i) {
        const Vec3 drawn{expectedDraw(sequence[3 * i]), expectedDraw(sequence[3 * i + 1]),
                         expectedDraw(sequence[3 * i + 2])};
        for (float c : {drawn.x, drawn.y, drawn.z}) {
            EXPECT_GE(c, -0.5f);
            EXPECT_LE(c, 0.5f);
        }
        EXPECT_EQ(random->particles[i].velocity, drawn) << i;
        EXPECT_EQ(five->particles[i].velocity, drawn) << i;  // any other mode is Random
        EXPECT_EQ(around->particles[i].velocity,
                  (Vec3{base.x + drawn.x, base.y + drawn.y, base.z + drawn.z}))
            << i;
        EXPECT_EQ(random->particles[i].position, (Vec3{1, 1, 1}));
    }
}

TEST_F(ParticleEmitters, AMissingTextureAddsNothingAndLeavesTheFiltersAlone) {
    const uint32_t minBefore = gl.device->samplerState(0, SamplerState::MinFilter);
    const uint32_t magBefore = gl.device->samplerState(0, SamplerState::MagFilter);
    ASSERT_NE(minBefore, platform::kFilterLinear);
    std::srand(5);
    const int next = std::rand();
    std::srand(5);
    EXPECT_FALSE(createEmitter(10, "absent.bmp", {}, {}, Random, 0xFFFFFFFF));
    EXPECT_EQ(std::rand(), next);
    {
        std::FILE* junk = std::fopen("junk.png", "wb");
        std::fputs("not an image", junk);
        std::fclose(junk);
    }
    EXPECT_FALSE(createEmitter(10, "junk.png", {}, {}, Random, 0xFFFFFFFF));
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(gl.device->samplerState(0, SamplerState::MinFilter), minBefore);
    EXPECT_EQ(gl.device->samplerState(0, SamplerState::MagFilter), magBefore);

    ASSERT_TRUE(makeFixed(1));
    EXPECT_EQ(gl.device->samplerState(0, SamplerState::MinFilter), platform::kFilterLinear);
    EXPECT_EQ(gl.device->samplerState(0, SamplerState::MagFilter), platform::kFilterLinear);
}

}  // namespace
