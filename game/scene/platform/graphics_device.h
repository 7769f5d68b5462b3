#pragma once
// The one rendering device: what the game's drawing code asks of the
// graphics library and nothing more. Implemented on OpenGL 3.3 core with
// shaders that give the classic fixed-function results the game relies on:
// one directional light plus an ambient level, texture modulated by the lit
// colour, depth switches, additive point sprites. Matrices arrive as the game
// builds them (left-handed, row vectors, depth range 0..1).

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/platform/window_system.h"
#include "scene/platform/math3d.h"

namespace platform {

enum class RenderState {
    ZEnable,
    ZWriteEnable,
    Lighting,
    Ambient,  // ARGB
    CullMode,
    AlphaBlendEnable,
    SrcBlend,
    DestBlend,
    PointSpriteEnable,
    PointScaleEnable,
    PointSize,  // float states carry the bits of a 32-bit float
    PointSizeMin,
    PointSizeMax,
    PointScaleA,
    PointScaleB,
    PointScaleC,
    Count
};

constexpr uint32_t kCullNone = 1, kCullClockwise = 2, kCullCounterClockwise = 3;
constexpr uint32_t kBlendZero = 1, kBlendOne = 2, kBlendSrcAlpha = 5, kBlendInvSrcAlpha = 6;
constexpr uint32_t kClearTarget = 1, kClearZBuffer = 2;
constexpr uint32_t kFilterPoint = 1, kFilterLinear = 2;

enum class TransformType { World, View, Projection };
enum class SamplerState { MinFilter, MagFilter };

inline uint32_t floatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline float bitsFloat(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct ColorValue {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const ColorValue&) const = default;
};

constexpr uint32_t kLightDirectional = 3;

struct Light {
    uint32_t type = kLightDirectional;
    ColorValue diffuse, specular, ambient;
    Vec3 position, direction;
    float range = 0, falloff = 0;
    float attenuation0 = 0, attenuation1 = 0, attenuation2 = 0;
    float theta = 0, phi = 0;
};

struct Material {
    ColorValue diffuse, ambient, specular, emissive;
    float power = 0;
};

// One point of a point list: position and ARGB colour, 16 bytes.
struct PointVertex {
    float x = 0, y = 0, z = 0;
    uint32_t color = 0;
};
static_assert(sizeof(PointVertex) == 16);

struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    float u = 0, v = 0;
};

// Subset i of a mesh: a run of its triangle list's indices.
struct MeshSubset {
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
};

struct MeshData {
    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<MeshSubset> subsets;
    bool hasNormals = true;
};

class Texture;
class PointBuffer;
class GpuMesh;

class GraphicsDevice {
public:
    // A device drawing into the whole window at width x height, or null.
    static std::unique_ptr<GraphicsDevice> create(WindowHandle window, int width, int height);
    virtual ~GraphicsDevice() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // Draws into the whole window at its new size from the next frame on.
    virtual void resize(int width, int height) = 0;

    virtual void clear(uint32_t flags, uint32_t argb, float depth, uint32_t stencil) = 0;
    virtual void beginScene() = 0;
    virtual void endScene() = 0;
    virtual void present() = 0;

    virtual void setRenderState(RenderState state, uint32_t value) = 0;
    virtual uint32_t renderState(RenderState state) const = 0;
    virtual void setSamplerState(int stage, SamplerState state, uint32_t value) = 0;
    virtual uint32_t samplerState(int stage, SamplerState state) const = 0;

    virtual void setTransform(TransformType type, const Matrix& matrix) = 0;
    virtual Matrix getTransform(TransformType type) const = 0;

    virtual void setLight(int index, const Light& light) = 0;
    virtual void lightEnable(int index, bool enable) = 0;
    virtual void setMaterial(const Material& material) = 0;
    virtual Material material() const = 0;

    // RGBA rows from the top, 4 bytes a pixel. Null when it cannot be made.
    virtual Texture* createTexture(int width, int height, const uint8_t* rgba) = 0;
    virtual void releaseTexture(Texture* texture) = 0;
    // Null unbinds.
    virtual void setTexture(int stage, Texture* texture) = 0;
    virtual Texture* texture(int stage) const = 0;

    virtual PointBuffer* createPointBuffer(int pointCount) = 0;
    virtual void releasePointBuffer(PointBuffer* buffer) = 0;
    // Room for the buffer's points, discarding what it held; null on failure.
    virtual PointVertex* lockPointBuffer(PointBuffer* buffer) = 0;
    virtual void unlockPointBuffer(PointBuffer* buffer) = 0;
    virtual void setPointSource(PointBuffer* buffer) = 0;
    virtual void drawPointList(int firstPoint, int pointCount) = 0;

    virtual GpuMesh* createMesh(const MeshData& data) = 0;
    virtual void releaseMesh(GpuMesh* mesh) = 0;
    virtual void drawSubset(GpuMesh* mesh, uint32_t subset) = 0;

    // Screen-space image (text), alpha blended and tinted by `argb`, at pixel
    // (x, y) from the top left; leaves every render state as it was.
    virtual void drawScreenImage(Texture* image, int x, int y, int width, int height,
                                 uint32_t argb) = 0;

    // The frame being drawn, ARGB, rows from the top (read before present).
    virtual std::vector<uint32_t> readPixels() const = 0;
    // The last frame presented while frame capture was on; empty otherwise.
    virtual const std::vector<uint32_t>& lastPresentedFrame() const = 0;
};

// Makes every device keep a copy of each frame it presents, for tests and
// screenshots. Off by default: it costs a read-back per frame.
void setFrameCapture(bool enabled);

}  // namespace platform
