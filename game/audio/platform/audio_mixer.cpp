#include "audio/platform/audio_mixer.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <utility>

#include "core/platform/file_system.h"

namespace platform {

struct MusicTrack {
    // The decoder reads the file's bytes from here while the track plays,
    // so they stay until the music is freed.
    std::string content;
    Mix_Music* music = nullptr;
};

namespace {

constexpr int kEffectChannel = 0;
constexpr int kChunkSamples = 2048;

enum class DeviceState { Closed, Open, Unavailable };
DeviceState deviceState = DeviceState::Closed;

// The sound on the effect channel; kept until it is cut off or the device closes.
Mix_Chunk* effectSound = nullptr;

// On the mixer's scale, 0..MIX_MAX_VOLUME. They outlive the device: the
// levels are chosen before it opens and must hold on the one that replaces it.
int musicLevel = MIX_MAX_VOLUME;
int soundLevel = MIX_MAX_VOLUME;

// Read on the mixer's thread when a track ends.
std::atomic<WindowHandle> endWindow{nullptr};
std::atomic<uint32_t> endMessage{0};
std::atomic<uintptr_t> endWParam{0};

void SDLCALL onMusicFinished() {
    // Runs inside the mixer with its lock held: posting is all it may do.
    if (WindowHandle window = endWindow.load()) {
        postMessage(window, endMessage.load(), endWParam.load());
    }
}

void freeEffectSound() {
    if (effectSound == nullptr) return;
    Mix_HaltChannel(kEffectChannel);
    Mix_FreeChunk(effectSound);
    effectSound = nullptr;
}

int mixerLevel(int percent) {
    // 100 is the whole of the mixer's scale and 0 true silence; between, the nearest step.
    return (std::clamp(percent, 0, 100) * MIX_MAX_VOLUME + 50) / 100;
}

// The mixer keeps its channel levels only as long as the device is open.
void applyLevels() {
    if (deviceState != DeviceState::Open) return;
    Mix_VolumeMusic(musicLevel);
    Mix_Volume(-1, soundLevel);
}

// Leaves the notification target in place, so that a reopened device reports
// track ends to the same window.
void shutDevice() {
    Mix_HookMusicFinished(nullptr);
    freeEffectSound();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

bool openAudio() {
    if (deviceState != DeviceState::Closed) return deviceState == DeviceState::Open;
    deviceState = DeviceState::Unavailable;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, kChunkSamples) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_HookMusicFinished(onMusicFinished);
    deviceState = DeviceState::Open;
    applyLevels();
    return true;
}

bool audioOpen() { return deviceState == DeviceState::Open; }

void closeAudio() {
    if (deviceState == DeviceState::Open) {
        setMusicEndNotification(nullptr, 0, 0);
        shutDevice();
    }
    deviceState = DeviceState::Closed;
}

bool reopenAudio() {
    if (deviceState != DeviceState::Open) return false;
    shutDevice();
    deviceState = DeviceState::Closed;
    // Opening by no name picks whatever the system now calls its default.
    return openAudio();
}

void setMusicVolume(int percent) {
    musicLevel = mixerLevel(percent);
    applyLevels();
}

void setSoundVolume(int percent) {
    soundLevel = mixerLevel(percent);
    applyLevels();
}

MusicTrack* loadMusicTrack(const std::string& fileName) {
    if (!audioOpen()) return nullptr;
    // Read whole by the game itself: a pipe or a huge file in the track's
    // place is no track, rather than a wait or the memory it would take.
    std::optional<std::string> content = readWholeRegularFile(fileName.c_str(), kLargestSoundFile);
    if (!content) return nullptr;
    auto* track = new MusicTrack{std::move(*content)};
    // The decoder is chosen by what the file holds, not by its name.
    SDL_RWops* bytes =
        SDL_RWFromConstMem(track->content.data(), static_cast<int>(track->content.size()));
    track->music = bytes != nullptr ? Mix_LoadMUS_RW(bytes, /*freesrc=*/1) : nullptr;
    if (track->music == nullptr) {
        delete track;
        return nullptr;
    }
    return track;
}

void freeMusicTrack(MusicTrack* track) {
    if (track == nullptr) return;
    // Freeing stops the track first if it is still playing.
    Mix_FreeMusic(track->music);
    delete track;
}

bool playMusicTrackOnce(MusicTrack* track, double fromSeconds) {
    if (track == nullptr || !audioOpen()) return false;
    // A decoder that cannot seek refuses the position and leaves nothing
    // playing; the tune then starts over rather than not at all.
    if (fromSeconds > 0.0 && Mix_FadeInMusicPos(track->music, 0, 0, fromSeconds) == 0) return true;
    return Mix_PlayMusic(track->music, 0) == 0;
}

bool musicTrackPlaying() { return audioOpen() && Mix_PlayingMusic() != 0; }

double musicTrackPosition(MusicTrack* track) {
    if (track == nullptr || !audioOpen()) return -1.0;
    return Mix_GetMusicPosition(track->music);
}

void setMusicEndNotification(WindowHandle window, uint32_t message, uintptr_t wParam) {
    endWindow.store(nullptr);
    endMessage.store(message);
    endWParam.store(wParam);
    endWindow.store(window);
}

void playSoundFile(const std::string& fileName) {
    if (!openAudio()) return;
    freeEffectSound();
    // Decoded whole on loading, so the bytes are needed only until then.
    const std::optional<std::string> content =
        readWholeRegularFile(fileName.c_str(), kLargestSoundFile);
    if (!content) return;
    effectSound = Mix_LoadWAV_RW(
        SDL_RWFromConstMem(content->data(), static_cast<int>(content->size())), /*freesrc=*/1);
    if (effectSound == nullptr) return;
    Mix_PlayChannel(kEffectChannel, effectSound, 0);
}

}  // namespace platform
