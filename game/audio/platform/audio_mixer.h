#pragma once
// What the game asks of the sound mixer: one music track played once at a
// time with a notification when it ends, and sound files started on one fixed
// channel, each at its own level. Built on SDL2_mixer; game code never sees an
// SDL type. Every operation is silent and harmless when there is no audio
// device.

#include <cstdint>
#include <string>

#include "core/platform/window_system.h"

namespace platform {

// Opens the audio device once; false when there is none. A failed attempt is
// not retried until closeAudio, so a machine without sound pays for it once.
bool openAudio();
bool audioOpen();
// Stops everything, frees the sound effect and closes the device.
void closeAudio();
// Closes the open device and opens the system's default one in its place,
// for when the device played on went away. Everything playing stops and the
// sound effect is freed; every music track must be freed before, as a track
// belongs to the device it was loaded for. The music end notification and
// the levels carry over. False when no device opens (the game is then silent
// until closeAudio) or when none was open to begin with.
bool reopenAudio();

// Levels in percent, 0 (silent) to 100 (as recorded); values outside are
// clamped. Kept while the device is closed and across reopening it, and
// applied to every track and sound from then on, the playing ones included.
void setMusicVolume(int percent);
void setSoundVolume(int percent);

// A decoded music file; null when the file is missing, not a regular file,
// larger than kLargestSoundFile or unreadable, or the device is not open.
struct MusicTrack;
MusicTrack* loadMusicTrack(const std::string& fileName);
void freeMusicTrack(MusicTrack* track);
// Plays the track once, from `fromSeconds` into it, or from its beginning
// when the decoder cannot seek; false when it cannot start.
bool playMusicTrackOnce(MusicTrack* track, double fromSeconds = 0.0);
bool musicTrackPlaying();
// Seconds from the track's beginning to where it plays; negative when the
// decoder cannot tell or the device is not open.
double musicTrackPosition(MusicTrack* track);

// From now on every end of a music track posts `message` with `wParam` to
// `window`. That happens on the mixer's own thread, which does nothing else
// for it; the game handles the message on its thread. Null stops it.
void setMusicEndNotification(WindowHandle window, uint32_t message, uintptr_t wParam);

// Starts the sound file on the effect channel without waiting, cutting off
// whatever that channel still plays. Opens the device when needed. A file
// that is not a regular one, or larger than kLargestSoundFile, stays silent.
void playSoundFile(const std::string& fileName);

}  // namespace platform
