#include "synth.h"

#include <algorithm>
#include <cmath>

float NoiseSource::next() {
    // xorshift32: plenty for noise, and identical on every machine.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_) / 2147483648.0f - 1.0f;
}

float LowPass::process(float input, float cutoffHz) {
    const float amount = 1.0f - std::exp(-2.0f * kPi * cutoffHz / kSampleRate);
    state_ += amount * (input - state_);
    return state_;
}

float midiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

namespace {

// Smooths the jump of a naive waveform over one sample, which keeps the
// aliasing of the buzzy voices out of the audible range.
float blepCorrection(float phase, float step) {
    if (phase < step) {
        const float t = phase / step;
        return t + t - t * t - 1.0f;
    }
    if (phase > 1.0f - step) {
        const float t = (phase - 1.0f) / step;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

}  // namespace

float sawWave(float phase, float step) { return 2.0f * phase - 1.0f - blepCorrection(phase, step); }

float pulseWave(float phase, float step, float width) {
    float value = phase < width ? 1.0f : -1.0f;
    value += blepCorrection(phase, step);
    value -= blepCorrection(std::fmod(phase + 1.0f - width, 1.0f), step);
    return value;
}

float triangleWave(float phase) { return 1.0f - 4.0f * std::fabs(phase - 0.5f); }

float envelope(float t, float length, float attack, float decay, float sustain, float release) {
    if (t < 0.0f) return 0.0f;
    auto held = [&](float time) {
        if (time < attack) return time / attack;
        const float sinceAttack = time - attack;
        if (sinceAttack < decay) return 1.0f - (1.0f - sustain) * (sinceAttack / decay);
        return sustain;
    };
    if (t < length) return held(t);
    const float sinceEnd = t - length;
    if (sinceEnd >= release) return 0.0f;
    return held(length) * (1.0f - sinceEnd / release);
}

std::vector<int16_t> toPcm16(const std::vector<float>& samples, float peak) {
    float loudest = 0.0f;
    for (float s : samples) loudest = std::max(loudest, std::fabs(s));
    const float scale = loudest > 0.0f ? peak * 32767.0f / loudest : 0.0f;
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const float value = std::clamp(samples[i] * scale, -32767.0f, 32767.0f);
        pcm[i] = static_cast<int16_t>(std::lround(value));
    }
    return pcm;
}
