#pragma once
// The few sound-making pieces the explosion and the tune are built from.

#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;
constexpr float kPi = 3.14159265358979f;

// A fixed-seed noise source, so every build makes the same files.
class NoiseSource {
public:
    explicit NoiseSource(uint32_t seed) : state_(seed != 0 ? seed : 1) {}
    // Uniform in -1..1.
    float next();

private:
    uint32_t state_;
};

// One-pole low-pass filter; the cutoff may change from sample to sample.
class LowPass {
public:
    float process(float input, float cutoffHz);

private:
    float state_ = 0;
};

float midiToHz(float note);
// Band-limited oscillators; `phase` runs 0..1, `step` is frequency / sample rate.
float sawWave(float phase, float step);
float pulseWave(float phase, float step, float width);
float triangleWave(float phase);

// Attack, decay to `sustain`, hold until `length`, release: all in seconds.
float envelope(float t, float length, float attack, float decay, float sustain, float release);

// Floats to 16-bit samples, scaled so the loudest peak reaches `peak` of full scale.
std::vector<int16_t> toPcm16(const std::vector<float>& samples, float peak);
