#include "explosion_sound.h"

#include <cmath>

#include "synth.h"

std::vector<float> makeExplosionSound() {
    constexpr float kLength = 0.85f;
    constexpr float kAttack = 0.004f;
    const int count = static_cast<int>(kLength * kSampleRate);
    std::vector<float> samples(static_cast<size_t>(count));

    NoiseSource noise(0x5EED1234u);
    NoiseSource crackleNoise(0xC0FFEE11u);
    LowPass body, rumble, crackleFilter;
    float thumpPhase = 0.0f;
    for (int i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        // The blast starts bright and closes down to a rumble as it dies away.
        const float cutoff = 180.0f + 5200.0f * std::exp(-t / 0.12f);
        const float white = noise.next();
        const float burst = body.process(white, cutoff);
        const float low = rumble.process(white, 140.0f) * 2.5f;

        // A short thump whose pitch falls, for the weight of the blast.
        thumpPhase += (38.0f + 70.0f * std::exp(-t / 0.05f)) / kSampleRate;
        const float thump = std::sin(2.0f * kPi * thumpPhase) * std::exp(-t / 0.09f);

        // Sparse crackles of debris over the first part.
        const float spark = crackleNoise.next();
        const float crackle = std::fabs(spark) > 0.994f
                                  ? crackleFilter.process(spark * 4.0f, 2500.0f)
                                  : crackleFilter.process(0.0f, 2500.0f);

        const float attack = t < kAttack ? t / kAttack : 1.0f;
        const float decay = std::exp(-t / 0.2f);
        // The last 60 ms fade to exact silence, so the sound ends without a click.
        const float tail = std::fmin(1.0f, (kLength - t) / 0.06f);
        samples[static_cast<size_t>(i)] =
            attack * tail *
            (decay * (burst * 1.6f + low) + thump * 0.9f + crackle * std::exp(-t / 0.3f));
    }
    return samples;
}
