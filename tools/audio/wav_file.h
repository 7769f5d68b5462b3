#pragma once
// 16-bit PCM WAV files.

#include <cstdint>
#include <string>
#include <vector>

// `samples` are interleaved when `channels` > 1. False when the file cannot be written.
bool writeWav16(const std::string& path, int sampleRate, int channels,
                const std::vector<int16_t>& samples);
