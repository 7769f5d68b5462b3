#pragma once
// The background dome, drawn around the camera before anything else.

void drawSkyDome();
