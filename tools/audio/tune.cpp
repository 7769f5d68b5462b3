#include "tune.h"

#include <cmath>

#include "synth.h"

namespace {

constexpr float kStep = 0.125f;  // a sixteenth note at 120 beats a minute
constexpr int kStepsPerBar = 16;
constexpr int kBarsPerSection = 8;
constexpr int kSections = 3;
constexpr int kBars = kBarsPerSection * kSections;
constexpr float kTailSeconds = 3.0f;

// Am F C G Am F G E, once per section; E, the dominant, turns back to Am.
constexpr int kBassRoots[kBarsPerSection] = {45, 41, 48, 43, 45, 41, 43, 40};
constexpr int kChords[kBarsPerSection][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64},
                                             {55, 59, 62}, {57, 60, 64}, {57, 60, 65},
                                             {55, 59, 62}, {56, 59, 64}};

struct Note {
    int bar, step, length, pitch;  // steps are sixteenths within the bar
};

constexpr Note kMelody[] = {
    {0, 0, 4, 69},  {0, 4, 2, 72},  {0, 6, 4, 76},  {0, 10, 2, 74}, {0, 12, 4, 72}, {1, 0, 6, 69},
    {1, 6, 2, 72},  {1, 8, 4, 77},  {1, 12, 4, 76}, {2, 0, 4, 67},  {2, 4, 2, 72},  {2, 6, 4, 76},
    {2, 10, 2, 79}, {2, 12, 4, 76}, {3, 0, 8, 74},  {3, 8, 4, 71},  {3, 12, 4, 67}, {4, 0, 4, 69},
    {4, 4, 4, 76},  {4, 8, 6, 81},  {4, 14, 2, 79}, {5, 0, 4, 77},  {5, 4, 2, 76},  {5, 6, 2, 72},
    {5, 8, 8, 69},  {6, 0, 4, 71},  {6, 4, 4, 74},  {6, 8, 4, 79},  {6, 12, 4, 77}, {7, 0, 8, 76},
    {7, 8, 4, 68},  {7, 12, 4, 71},
};

// The A minor scale (with G sharp heard as G) for a harmony a third below.
int thirdBelow(int pitch) {
    static constexpr int kScale[] = {0, 2, 3, 5, 7, 8, 10};  // from A
    const int fromA = ((pitch - 57) % 12 + 12) % 12;
    const int octave = (pitch - 57 - fromA) / 12;
    int degree = 0;
    for (int i = 0; i < 7; ++i) {
        if (kScale[i] <= fromA) degree = i;
    }
    const int lower = degree - 2;
    const int wrapped = (lower + 7) % 7;
    return 57 + 12 * (octave - (lower < 0 ? 1 : 0)) + kScale[wrapped];
}

float secondsAt(int bar, int step) { return (bar * kStepsPerBar + step) * kStep; }

class Mix {
public:
    explicit Mix(float seconds)
        : left(static_cast<size_t>(seconds * kSampleRate)),
          right(static_cast<size_t>(seconds * kSampleRate)) {}

    // Renders `voice` (a function of the time since the note began) from
    // `start` for `seconds`, placed in the stereo field by `pan` (-1..1).
    template <typename Voice>
    void add(float start, float seconds, float pan, float gain, Voice voice) {
        const size_t first = static_cast<size_t>(start * kSampleRate);
        const size_t count = static_cast<size_t>(seconds * kSampleRate);
        const float angle = (pan + 1.0f) * kPi / 4.0f;
        const float toLeft = std::cos(angle) * gain, toRight = std::sin(angle) * gain;
        for (size_t i = 0; i < count && first + i < left.size(); ++i) {
            const float value = voice(static_cast<float>(i) / kSampleRate);
            left[first + i] += value * toLeft;
            right[first + i] += value * toRight;
        }
    }

    std::vector<float> left, right;
};

void addPad(Mix& mix, int bar, int chordIndex) {
    for (int tone = 0; tone < 3; ++tone) {
        for (float detune : {-0.07f, 0.07f}) {
            const float step = midiToHz(kChords[chordIndex][tone] + detune) / kSampleRate;
            float phase = tone * 0.31f + (detune > 0 ? 0.5f : 0.0f);
            LowPass filter;
            mix.add(secondsAt(bar, 0), 16 * kStep + 0.8f, detune > 0 ? 0.45f : -0.45f, 0.05f,
                    [=](float t) mutable {
                        phase = std::fmod(phase + step, 1.0f);
                        const float env = envelope(t, 16 * kStep, 0.45f, 0.5f, 0.8f, 0.8f);
                        return filter.process(sawWave(phase, step), 1300.0f) * env;
                    });
        }
    }
}

void addArpeggio(Mix& mix, int bar, int chordIndex, float gain) {
    static constexpr int kPattern[] = {0, 1, 2, 3, 2, 1};
    const int* chord = kChords[chordIndex];
    for (int s = 0; s < kStepsPerBar; ++s) {
        const int which = kPattern[(bar * kStepsPerBar + s) % 6];
        const int pitch = (which == 3 ? chord[0] + 12 : chord[which]) + 12;
        const float step = midiToHz(pitch) / kSampleRate;
        float phase = 0.0f;
        LowPass filter;
        mix.add(secondsAt(bar, s), kStep + 0.08f, s % 2 == 0 ? -0.35f : 0.35f, gain,
                [=](float t) mutable {
                    phase = std::fmod(phase + step, 1.0f);
                    const float env = envelope(t, kStep * 0.6f, 0.003f, 0.09f, 0.25f, 0.06f);
                    return filter.process(pulseWave(phase, step, 0.25f), 2600.0f) * env;
                });
    }
}

void addBass(Mix& mix, int bar, int chordIndex) {
    static constexpr int kPattern[8] = {0, 0, 12, 0, 0, 12, 0, 7};
    for (int eighth = 0; eighth < 8; ++eighth) {
        const int pitch = kBassRoots[chordIndex] + kPattern[eighth];
        const float step = midiToHz(pitch) / kSampleRate;
        float phase = 0.0f;
        LowPass filter;
        mix.add(secondsAt(bar, eighth * 2), 2 * kStep + 0.06f, 0.0f, 0.26f, [=](float t) mutable {
            phase = std::fmod(phase + step, 1.0f);
            const float env = envelope(t, 2 * kStep * 0.85f, 0.005f, 0.12f, 0.6f, 0.05f);
            const float cutoff = 300.0f + 900.0f * std::exp(-t / 0.06f);
            const float body = sawWave(phase, step) * 0.6f + std::sin(2.0f * kPi * phase) * 0.7f;
            return filter.process(body, cutoff) * env;
        });
    }
}

void addLead(Mix& echoBus, int sectionBar, int pitch, int step, int length, float pan, float gain) {
    const float seconds = length * kStep;
    float phase = 0.0f;
    LowPass filter;
    echoBus.add(secondsAt(sectionBar, step), seconds + 0.25f, pan, gain, [=](float t) mutable {
        const float vibrato = t > 0.15f ? 0.12f * std::sin(2.0f * kPi * 5.0f * t) : 0.0f;
        const float frequency = midiToHz(pitch + vibrato);
        phase = std::fmod(phase + frequency / kSampleRate, 1.0f);
        const float env = envelope(t, seconds * 0.92f, 0.02f, 0.2f, 0.7f, 0.2f);
        const float tone =
            triangleWave(phase) * 0.8f + pulseWave(phase, frequency / kSampleRate, 0.5f) * 0.2f;
        return filter.process(tone, 3500.0f) * env;
    });
}

void addKick(Mix& mix, float start) {
    float phase = 0.0f;
    mix.add(start, 0.35f, 0.0f, 0.55f, [=](float t) mutable {
        phase += (45.0f + 85.0f * std::exp(-t / 0.03f)) / kSampleRate;
        return std::sin(2.0f * kPi * phase) * std::exp(-t / 0.11f);
    });
}

void addSnare(Mix& mix, float start, float gain, uint32_t seed) {
    NoiseSource noise(seed);
    LowPass filter;
    float phase = 0.0f;
    mix.add(start, 0.25f, 0.1f, gain, [=](float t) mutable {
        phase += 185.0f / kSampleRate;
        const float crack = filter.process(noise.next(), 5000.0f) * std::exp(-t / 0.07f);
        const float tone = std::sin(2.0f * kPi * phase) * std::exp(-t / 0.04f) * 0.5f;
        return crack + tone;
    });
}

void addHat(Mix& mix, float start, float gain, uint32_t seed) {
    NoiseSource noise(seed);
    LowPass below;
    mix.add(start, 0.08f, -0.2f, gain, [=](float t) mutable {
        const float white = noise.next();
        return (white - below.process(white, 7000.0f)) * std::exp(-t / 0.022f);
    });
}

void addDrums(Mix& mix, int bar, int section) {
    const int inSection = bar % kBarsPerSection;
    const bool lastBar = bar == kBars - 1;
    for (int s = 0; s < kStepsPerBar; s += 2) {
        if (section > 0 || inSection >= 2) {
            addHat(mix, secondsAt(bar, s), s % 4 == 2 ? 0.11f : 0.07f, 977u * (bar * 16 + s + 1));
        }
    }
    if (section == 0) return;
    addKick(mix, secondsAt(bar, 0));
    addKick(mix, secondsAt(bar, 8));
    if (inSection % 2 == 1) addKick(mix, secondsAt(bar, 10));
    if (lastBar) {
        // A rising roll that hands over to the quiet opening.
        addSnare(mix, secondsAt(bar, 4), 0.22f, 31u * bar + 7u);
        for (int s = 8; s < kStepsPerBar; ++s) {
            addSnare(mix, secondsAt(bar, s), 0.08f + 0.02f * (s - 8), 131u * s + 3u);
        }
        return;
    }
    addSnare(mix, secondsAt(bar, 4), 0.22f, 31u * bar + 7u);
    addSnare(mix, secondsAt(bar, 12), 0.22f, 37u * bar + 11u);
}

// A ping-pong echo of three sixteenths: the lead sounds wider than it is.
void addEcho(Mix& mix, const Mix& dry) {
    const size_t delay = static_cast<size_t>(3 * kStep * kSampleRate);
    std::vector<float> left = dry.left, right = dry.right;
    for (size_t i = delay; i < left.size(); ++i) {
        left[i] += right[i - delay] * 0.35f;
        right[i] += left[i - delay] * 0.35f;
    }
    for (size_t i = 0; i < left.size(); ++i) {
        mix.left[i] += left[i];
        mix.right[i] += right[i];
    }
}

}  // namespace

StereoSamples makeTune() {
    const float length = kBars * kStepsPerBar * kStep;
    Mix mix(length + kTailSeconds);
    Mix lead(length + kTailSeconds);

    for (int bar = 0; bar < kBars; ++bar) {
        const int section = bar / kBarsPerSection;
        const int chord = bar % kBarsPerSection;
        addPad(mix, bar, chord);
        addArpeggio(mix, bar, chord, section == 0 ? 0.09f : 0.07f);
        if (section > 0 || chord >= 4) addBass(mix, bar, chord);
        addDrums(mix, bar, section);
    }
    for (int section = 1; section < kSections; ++section) {
        for (const Note& note : kMelody) {
            const int bar = section * kBarsPerSection + note.bar;
            addLead(lead, bar, note.pitch, note.step, note.length, 0.1f, 0.2f);
            if (section == 2) {
                addLead(lead, bar, thirdBelow(note.pitch), note.step, note.length, -0.3f, 0.11f);
            }
        }
    }
    addEcho(mix, lead);

    // What rings past the end belongs to the start of the next repeat.
    const size_t end = static_cast<size_t>(length * kSampleRate);
    for (size_t i = end; i < mix.left.size(); ++i) {
        mix.left[i - end] += mix.left[i];
        mix.right[i - end] += mix.right[i];
    }
    mix.left.resize(end);
    mix.right.resize(end);
    return {std::move(mix.left), std::move(mix.right)};
}
