#pragma once
// What a player can choose, at the values a game starts with when nothing was chosen.
struct Settings {
    bool fullScreen = true;
    int windowWidth = 1024;  // the window's size when not full screen, in window-system units
    int windowHeight = 576;
    int musicVolume = 100;      // 0..100
    int soundVolume = 100;      // 0..100
    bool pauseWhenAway = true;  // play pauses (as Esc does) when the game loses focus
    bool operator==(const Settings&) const = default;
};
constexpr int kMinWindowWidth = 640, kMinWindowHeight = 360, kMaxWindowSide = 16384;
