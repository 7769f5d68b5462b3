#include "audio/music_player.h"

#include <algorithm>

MusicPlayer::~MusicPlayer() {
    if (notifying) platform::setMusicEndNotification(nullptr, 0, 0);
    platform::freeMusicTrack(track);
}

MusicGraph* createMusicGraph() {
    if (!platform::audioOpen()) return nullptr;
    return new MusicGraph{std::make_shared<MusicPlayer>()};
}

MusicControl* queryMusicControl(const MusicGraph& graph) { return new MusicControl{graph.player}; }

MusicVideoWindow* queryVideoWindow(const MusicGraph& graph) {
    return new MusicVideoWindow{graph.player};
}

MusicEvents* queryMusicEvents(const MusicGraph& graph) { return new MusicEvents{graph.player}; }

void renderMusicFile(MusicGraph& graph, const std::string& fileName) {
    MusicPlayer& player = *graph.player;
    platform::freeMusicTrack(player.track);
    player.running = false;
    player.track = platform::loadMusicTrack(fileName);
}

void runMusic(MusicControl& control) {
    MusicPlayer& player = *control.player;
    player.running = platform::playMusicTrackOnce(player.track);
    if (player.running) ++player.starts;
}

MusicResumePoint suspendMusic(MusicGraph& graph) {
    MusicPlayer& player = *graph.player;
    MusicResumePoint point;
    point.rendered = player.track != nullptr;
    point.running = player.running;
    point.sounding = player.running && platform::musicTrackPlaying();
    if (point.sounding) point.seconds = std::max(0.0, platform::musicTrackPosition(player.track));
    platform::freeMusicTrack(player.track);
    player.track = nullptr;
    player.running = false;
    return point;
}

void resumeMusic(MusicGraph& graph, const std::string& fileName, const MusicResumePoint& point) {
    MusicPlayer& player = *graph.player;
    if (!point.rendered) return;
    player.track = platform::loadMusicTrack(fileName);
    if (player.track == nullptr) return;
    player.running =
        point.sounding ? platform::playMusicTrackOnce(player.track, point.seconds) : point.running;
}

void setNotifyWindow(MusicEvents& events, platform::WindowHandle window, uint32_t message,
                     uintptr_t instanceData) {
    events.player->notifying = window != nullptr;
    platform::setMusicEndNotification(window, message, instanceData);
}

bool getMusicEvent(MusicEvents& events, MusicEvent& out) {
    MusicPlayer& player = *events.player;
    // The mixer's thread only posts the notification; the end of the run is
    // read from the mixer here, on the game thread, and queued behind
    // whatever came before it.
    if (player.running && !platform::musicTrackPlaying()) {
        player.running = false;
        player.events.push_back({kMusicEventComplete, 0, 0});
    }
    if (player.events.empty()) return false;
    out = player.events.front();
    player.events.pop_front();
    return true;
}
