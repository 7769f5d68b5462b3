#pragma once
// GLSL programs of the graphics device.

namespace platform {

// The scene: per-vertex lighting by one directional light plus the ambient
// level, texture modulated by the lit colour, point sprites sized by distance.
extern const char* const kSceneVertexShader;
extern const char* const kSceneFragmentShader;

// Screen-space images (text): pixels in, tinted and alpha blended.
extern const char* const kScreenVertexShader;
extern const char* const kScreenFragmentShader;

}  // namespace platform
