#pragma once
// The music player as the game drives it: one player seen through four
// handles, as the game record keeps them. The graph renders a file, the
// control runs it, the event queue tells the game thread what happened, and
// the video window matters only for a file with a picture (ours have none).
// The player lives until the last of its handles is released.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "audio/platform/audio_mixer.h"
#include "core/platform/window_system.h"

// The tune played to its end.
constexpr int32_t kMusicEventComplete = 1;

struct MusicEvent {
    int32_t code = 0;
    intptr_t param1 = 0;
    intptr_t param2 = 0;
};

struct MusicPlayer {
    MusicPlayer() = default;
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;
    ~MusicPlayer();

    platform::MusicTrack* track = nullptr;
    // A run was started and its end has not been queued yet.
    bool running = false;
    // Runs started so far; every restart after an end counts.
    int starts = 0;
    bool notifying = false;
    std::deque<MusicEvent> events;
};

struct MusicGraph {
    std::shared_ptr<MusicPlayer> player;
};
struct MusicControl {
    std::shared_ptr<MusicPlayer> player;
};
struct MusicEvents {
    std::shared_ptr<MusicPlayer> player;
};
struct MusicVideoWindow {
    std::shared_ptr<MusicPlayer> player;
    platform::WindowHandle owner = nullptr;
    uint32_t style = 0;
    int left = 0, top = 0, width = 0, height = 0;
};

// A new player; null when the audio device is not open.
MusicGraph* createMusicGraph();
MusicControl* queryMusicControl(const MusicGraph& graph);
MusicVideoWindow* queryVideoWindow(const MusicGraph& graph);
MusicEvents* queryMusicEvents(const MusicGraph& graph);

// Decodes the file, replacing whatever was rendered before; a missing or
// unreadable file leaves the player with nothing to play.
void renderMusicFile(MusicGraph& graph, const std::string& fileName);
// Plays what was rendered once, from its beginning.
void runMusic(MusicControl& control);

// Where the player stood when the audio device was taken from under it.
struct MusicResumePoint {
    bool rendered = false;  // a file was decoded
    bool running = false;   // a run was started and its end not queued yet
    bool sounding = false;  // ... and it had not reached its end
    double seconds = 0.0;   // how far it had got; 0 when the mixer cannot tell
};
// Lets go of the decoded file, which belongs to the device about to close,
// and tells where the run stood. The player has nothing to play until resumed.
MusicResumePoint suspendMusic(MusicGraph& graph);
// On the device that replaced the old one: decodes the file again and lets a
// sounding run go on from where it stood; it stays the same run, not a new
// start. A run that had reached its end stays running without sound, so the
// end notification already on its way still queues the end and the tune
// repeats.
void resumeMusic(MusicGraph& graph, const std::string& fileName, const MusicResumePoint& point);

// Each end of a run posts `message` with `instanceData` to `window`.
void setNotifyWindow(MusicEvents& events, platform::WindowHandle window, uint32_t message,
                     uintptr_t instanceData);
// Takes the oldest event without waiting; false when the queue is empty.
bool getMusicEvent(MusicEvents& events, MusicEvent& out);
