#pragma once
// The background tune: 48 seconds in A minor at 120 beats a minute, built to
// be played again and again. Its first bars are sparse and its last bar leads
// back to them, and the sound that rings past the end is folded into the
// beginning, so each repeat flows on from the one before.

#include <vector>

struct StereoSamples {
    std::vector<float> left, right;
};

StereoSamples makeTune();
