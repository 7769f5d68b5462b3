#pragma once
// What the audio tests share: short sounds written on the spot, and an audio
// driver chosen for one test. SDL reads the driver's name when the audio
// device opens, so each test starts from a closed device and closes it again.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "audio/music.h"

// A square wave of `seconds` at `amplitude` (0..1 of full scale), 16-bit
// stereo at 44100 Hz, as a WAV file. The game's music loader goes by the
// content, so the test tune may carry the MP3 name.
inline void writeSquareWave(const std::string& fileName, double seconds, double hz,
                            double amplitude) {
    constexpr int kRate = 44100;
    const auto frames = static_cast<uint32_t>(seconds * kRate);
    const auto level = static_cast<int16_t>(amplitude * 32767);
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        const bool high = static_cast<uint32_t>(i * hz * 2 / kRate) % 2 == 0;
        samples.push_back(high ? level : static_cast<int16_t>(-level));
        samples.push_back(high ? level : static_cast<int16_t>(-level));
    }
    std::ofstream out(fileName, std::ios::binary);
    auto put = [&](uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b) out.put(static_cast<char>((value >> (8 * b)) & 0xFF));
    };
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put(36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(kRate, 4);
    put(kRate * 4, 4);
    put(4, 2);
    put(16, 2);
    out.write("data", 4);
    put(dataBytes, 4);
    for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (previous_) {
            setenv(name_, previous_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};
