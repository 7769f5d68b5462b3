#pragma once
// The sky around the camera: "SkyDome.x", a sphere seen from inside, with
// its texture "sky.png", a day sky above the horizon and a sea of cloud below.

#include <string>

bool writeSkyDome(const std::string& folder);
