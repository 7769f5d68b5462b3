#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "effects/explosions.h"
#include "particle_test_support.h"

namespace {

struct Burst {
    int32_t count;
    uint32_t color;
    bool operator==(const Burst&) const = default;
};

constexpr Burst kSpark{20, 0xFFFF7800};
constexpr Burst kYellow{10, 0xFFFADC00};
constexpr Burst kRed{50, 0xFFFF0000};
constexpr Burst kSmallRed{30, 0xFFFF0000};

void PrintTo(const Burst& burst, std::ostream* out) {
    *out << burst.count << " of " << std::hex << burst.color;
}

class Explosions : public ParticleWorld {
protected:
    void withTextures(bool spark, bool particle, bool explosion) {
        if (spark) {
            ASSERT_TRUE(writeSpriteImage("spark.bmp"));
        }
        if (particle) {
            ASSERT_TRUE(writeSpriteImage("particle.bmp"));
        }
        if (explosion) {
            ASSERT_TRUE(writeSpriteImage("explosion.png"));
        }
    }

    std::vector<Burst> bursts() {
        std::vector<Burst> out;
        for (const ParticleEmitter* e : entries()) {
            out.push_back({e->particleCount, e->particles.empty() ? 0 : e->particles[0].color});
            // Every burst starts at the origin and flies apart within half a unit a frame.
            for (const Particle& p : e->particles) {
                EXPECT_EQ(p.position, (Vec3{0, 0, 0}));
                EXPECT_LE(std::abs(p.velocity.x), 0.5f);
                EXPECT_LE(std::abs(p.velocity.y), 0.5f);
                EXPECT_LE(std::abs(p.velocity.z), 0.5f);
            }
        }
        return out;
    }
};

TEST_F(Explosions, ACrashMakesNineBurstsOfTwoHundredFortyParticles) {
    withTextures(true, true, true);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(spawnExplosion());
    EXPECT_EQ(bursts(), (std::vector<Burst>{kSpark, kYellow, kRed, kSpark, kYellow, kRed, kSpark,
                                            kYellow, kRed}));
    int total = 0;
    for (const ParticleEmitter* e : entries()) total += e->particleCount;
    EXPECT_EQ(total, 240);
    // Back-to-back explosions draw on: no two clouds alike.
    EXPECT_NE(entries()[0]->particles[0].velocity, entries()[3]->particles[0].velocity);
}

TEST_F(Explosions, ARocketHitMakesOneSmallYellowBurst) {
    withTextures(true, true, true);
    spawnSmallExplosion();
    EXPECT_EQ(bursts(), std::vector<Burst>{kYellow});
}

TEST_F(Explosions, WithoutTheParticleImageTheRedAndSparkBurstsStandIn) {
    withTextures(true, false, true);
    spawnSmallExplosion();
    EXPECT_EQ(bursts(), std::vector<Burst>{kSmallRed});
    EXPECT_FALSE(spawnExplosion());
    EXPECT_EQ(bursts(), (std::vector<Burst>{kSmallRed, kSpark}));
}

TEST_F(Explosions, WithOnlyTheSparkImageARocketHitMakesASparkBurst) {
    withTextures(true, false, false);
    spawnSmallExplosion();
    EXPECT_EQ(bursts(), std::vector<Burst>{kSpark});
}

TEST_F(Explosions, WithoutTheRedImageTheLargeExplosionKeepsItsFirstTwoBursts) {
    withTextures(true, true, false);
    EXPECT_FALSE(spawnExplosion());
    EXPECT_EQ(bursts(), (std::vector<Burst>{kSpark, kYellow}));
}

TEST_F(Explosions, WithoutTheSparkImageTheLargeExplosionMakesNothing) {
    withTextures(false, true, true);
    EXPECT_FALSE(spawnExplosion());
    EXPECT_TRUE(entries().empty());
    spawnSmallExplosion();
    EXPECT_EQ(bursts(), std::vector<Burst>{kYellow});
}

TEST_F(Explosions, WithNoImagesAtAllNothingIsAddedAndNoRandomNumberIsTaken) {
    std::srand(11);
    const int next = std::rand();
    std::srand(11);
    EXPECT_FALSE(spawnExplosion());
    spawnSmallExplosion();
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(std::rand(), next);
}

}  // namespace
