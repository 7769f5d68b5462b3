#include "audio/music.h"

#include "audio/music_player.h"
#include "audio/platform/audio_mixer.h"
#include "core/game_world.h"
#include "core/window_input.h"

namespace {

constexpr const char* kMusicFile = "something.mp3";
// The classic child-window style; recorded only, as our tunes have no picture.
constexpr uint32_t kChildWindowStyle = 0x40000000;

template <typename Handle>
void release(Handle*& handle) {
    delete handle;
    handle = nullptr;
}

}  // namespace

void setSoundLevels(int musicPercent, int soundPercent) {
    platform::setMusicVolume(musicPercent);
    platform::setSoundVolume(soundPercent);
}

void startMusic(platform::WindowHandle window) {
    // Started once: a second start would orphan the running player.
    if (world.graph != nullptr) return;
    if (!platform::openAudio()) return;
    world.graph = createMusicGraph();
    if (world.graph == nullptr) return;
    world.mediaControl = queryMusicControl(*world.graph);
    world.videoWindow = queryVideoWindow(*world.graph);
    world.mediaEvent = queryMusicEvents(*world.graph);
    setNotifyWindow(*world.mediaEvent, window, kMusicNotification, 0);
    world.videoWindow->owner = window;
    world.videoWindow->style = kChildWindowStyle;
    world.videoWindow->width = world.screenWidth;
    world.videoWindow->height = world.screenHeight;
    renderMusicFile(*world.graph, kMusicFile);
    runMusic(*world.mediaControl);
}

void onMusicEvent() {
    if (world.mediaEvent == nullptr) return;
    MusicEvent event;
    while (getMusicEvent(*world.mediaEvent, event)) {
        if (event.code == kMusicEventComplete) {
            // Events queued behind the end wait for the next notification.
            if (world.graph != nullptr) renderMusicFile(*world.graph, kMusicFile);
            if (world.mediaControl != nullptr) runMusic(*world.mediaControl);
            return;
        }
        // Any other event carries plain values; there is nothing to free.
    }
}

void onAudioDeviceLost() {
    MusicResumePoint point;
    if (world.graph != nullptr) point = suspendMusic(*world.graph);
    // Nothing was open to lose, or no device opens any more: the handles stay,
    // holding nothing to play, for releaseMusic.
    if (!platform::reopenAudio()) return;
    if (world.graph != nullptr) resumeMusic(*world.graph, kMusicFile, point);
}

void releaseMusic() {
    // Playback is not stopped first: the player stops when its last handle goes.
    release(world.videoWindow);
    release(world.mediaControl);
    release(world.graph);
    if (world.mediaEvent != nullptr) release(world.mediaEvent);
    platform::closeAudio();
}
