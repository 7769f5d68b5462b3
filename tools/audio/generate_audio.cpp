// Makes the game's sound effect and the background tune from code: nothing
// is sampled or copied from anywhere.
//
// Usage: generate_audio <explosion wav> <tune wav>
// The tune is written as WAV; the build encodes it to MP3.

#include <cstdio>
#include <string>

#include "explosion_sound.h"
#include "synth.h"
#include "tune.h"
#include "wav_file.h"

namespace {

std::vector<int16_t> interleave(const StereoSamples& tune) {
    std::vector<float> both(tune.left.size() * 2);
    for (size_t i = 0; i < tune.left.size(); ++i) {
        both[2 * i] = tune.left[i];
        both[2 * i + 1] = tune.right[i];
    }
    // Headroom below full scale, so MP3 encoding does not clip.
    return toPcm16(both, 0.8f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <explosion wav> <tune wav>\n", argv[0]);
        return 2;
    }
    const std::string explosionPath = argv[1];
    const std::string tunePath = argv[2];
    bool ok = writeWav16(explosionPath, kSampleRate, 1, toPcm16(makeExplosionSound(), 0.9f));
    ok = writeWav16(tunePath, kSampleRate, 2, interleave(makeTune())) && ok;
    if (!ok) {
        std::fprintf(stderr, "generate_audio: could not write %s and %s\n", explosionPath.c_str(),
                     tunePath.c_str());
        return 1;
    }
    return 0;
}
