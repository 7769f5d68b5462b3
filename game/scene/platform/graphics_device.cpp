#include "scene/platform/graphics_device.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/platform/window_system_internal.h"
#include "scene/platform/gl_shaders.h"

namespace platform {

class Texture {
public:
    GLuint name = 0;
    int width = 0, height = 0;
};

class PointBuffer {
public:
    GLuint vertexArray = 0, buffer = 0;
    int capacity = 0;
    std::vector<PointVertex> staging;
};

class GpuMesh {
public:
    GLuint vertexArray = 0, vertexBuffer = 0, indexBuffer = 0;
    std::vector<MeshSubset> subsets;
    bool hasNormals = true;
    // The corners of the box around every vertex, in the model's space.
    std::array<Vec3, 8> corners{};
};

namespace {

std::array<Vec3, 8> boxCorners(const std::vector<MeshVertex>& vertices) {
    if (vertices.empty()) return {};
    Vec3 low = vertices[0].position, high = low;
    for (const MeshVertex& vertex : vertices) {
        low = {std::min(low.x, vertex.position.x), std::min(low.y, vertex.position.y),
               std::min(low.z, vertex.position.z)};
        high = {std::max(high.x, vertex.position.x), std::max(high.y, vertex.position.y),
                std::max(high.z, vertex.position.z)};
    }
    std::array<Vec3, 8> corners;
    for (int i = 0; i < 8; ++i)
        corners[i] = {i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z};
    return corners;
}

// Whether all eight corners lie beyond one side of the view volume (the
// left, right, bottom, top, near or far plane), by more than rounding: then
// nothing of what they enclose can reach a pixel, and the draw is left out.
// The software renderer would otherwise transform every vertex of every
// rock of the level, most of them behind the camera or beyond the far plane.
bool outsideView(const std::array<Vec3, 8>& corners, const Matrix& placement) {
    constexpr int kSides = 6;
    int beyond[kSides] = {};
    for (const Vec3& corner : corners) {
        float clip[4];
        for (int column = 0; column < 4; ++column) {
            clip[column] = corner.x * placement.m[0][column] + corner.y * placement.m[1][column] +
                           corner.z * placement.m[2][column] + placement.m[3][column];
        }
        const float w = clip[3], margin = 1e-3f * std::fabs(w) + 1e-3f;
        beyond[0] += clip[0] < -w - margin;
        beyond[1] += clip[0] > w + margin;
        beyond[2] += clip[1] < -w - margin;
        beyond[3] += clip[1] > w + margin;
        beyond[4] += clip[2] < -margin;
        beyond[5] += clip[2] > w + margin;
    }
    return std::any_of(std::begin(beyond), std::end(beyond), [](int count) { return count == 8; });
}

bool frameCaptureEnabled = false;

ColorValue colorFromArgb(uint32_t argb) {
    return {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
            ((argb >> 24) & 0xFF) / 255.0f};
}

GLenum blendFactor(uint32_t value) {
    switch (value) {
        case 1: return GL_ZERO;
        case 2: return GL_ONE;
        case 3: return GL_SRC_COLOR;
        case 4: return GL_ONE_MINUS_SRC_COLOR;
        case 5: return GL_SRC_ALPHA;
        case 6: return GL_ONE_MINUS_SRC_ALPHA;
        case 7: return GL_DST_ALPHA;
        case 8: return GL_ONE_MINUS_DST_ALPHA;
        case 9: return GL_DST_COLOR;
        case 10: return GL_ONE_MINUS_DST_COLOR;
        default: return GL_ONE;
    }
}

GLuint compileShader(GLenum kind, const char* source, const char* prefix = nullptr) {
    GLuint shader = glCreateShader(kind);
    const char* sources[] = {prefix, source};
    if (prefix != nullptr) {
        glShaderSource(shader, 2, sources, nullptr);
    } else {
        glShaderSource(shader, 1, &source, nullptr);
    }
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        std::array<char, 2048> log{};
        glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
        std::fprintf(stderr, "shader: %s\n", log.data());
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Links compiled shaders; they stay the caller's to delete.
GLuint linkShaders(GLuint vertex, GLuint fragment) {
    if (vertex == 0 || fragment == 0) return 0;
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

GLuint linkProgram(const char* vertexSource, const char* fragmentSource) {
    GLuint vertex = compileShader(GL_VERTEX_SHADER, vertexSource);
    GLuint fragment = compileShader(GL_FRAGMENT_SHADER, fragmentSource);
    const GLuint program = linkShaders(vertex, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}

// The scene's fragment shader in the build for one kind of draw.
enum class SceneKind { Plain, Textured, Sprite, Count };
constexpr const char* kSceneKindPrefix[] = {
    "#version 330 core\n",
    "#version 330 core\n#define TEXTURED\n",
    "#version 330 core\n#define TEXTURED\n#define POINT_SPRITE\n",
};

// Uploads only what differs from the last upload: each uniform sent to the
// software renderer is copied again for every draw that follows.
template <typename T>
bool differs(T& sent, const T& wanted, bool force) {
    if (!force && std::memcmp(&sent, &wanted, sizeof(T)) == 0) return false;
    sent = wanted;
    return true;
}

// Normals go through the inverse transpose of the world matrix so that
// scaled objects keep their lighting; the shader renormalises them.
std::array<float, 9> normalMatrixOf(const Matrix& world) {
    const float a = world.m[0][0], b = world.m[0][1], c = world.m[0][2];
    const float d = world.m[1][0], e = world.m[1][1], f = world.m[1][2];
    const float g = world.m[2][0], h = world.m[2][1], i = world.m[2][2];
    const float cofactor[3][3] = {{e * i - f * h, -(d * i - f * g), d * h - e * g},
                                  {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                                  {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    // Row-vector normal n' = n * inverse(W)^T = n * cofactor / det; the
    // positive factor 1/det only changes the length, which is renormalised,
    // but its sign must be kept for mirroring matrices.
    const float det = a * cofactor[0][0] + b * cofactor[0][1] + c * cofactor[0][2];
    const float sign = det < 0.0f ? -1.0f : 1.0f;
    std::array<float, 9> out{};
    // Stored so that GLSL's column-major mat3 times n gives n * cofactor.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) out[row * 3 + col] = sign * cofactor[row][col];
    return out;
}

class GLGraphicsDevice final : public GraphicsDevice {
public:
    GLGraphicsDevice(WindowHandle window, SDL_GLContext context, int width, int height)
        : window_(window), context_(context), width_(width), height_(height) {}

    bool initialise() {
        if (!linkScenePrograms()) return false;
        screenProgram_ = linkProgram(kScreenVertexShader, kScreenFragmentShader);
        if (screenProgram_ == 0) return false;
        lookUpScreenUniforms();

        glGenSamplers(1, &sceneSampler_);
        glGenSamplers(1, &screenSampler_);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        // Texture unit 0 is the only one the device uses, and culling only
        // ever drops back faces; both are set once.
        glActiveTexture(GL_TEXTURE0);
        glCullFace(GL_BACK);
        setDefaultStates();

        glGenVertexArrays(1, &screenVertexArray_);
        glGenBuffers(1, &screenBuffer_);
        bindVertexArray(screenVertexArray_);
        glBindBuffer(GL_ARRAY_BUFFER, screenBuffer_);
        glBufferData(GL_ARRAY_BUFFER, sizeof(float) * 16, nullptr, GL_DYNAMIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                              reinterpret_cast<void*>(2 * sizeof(float)));
        bindVertexArray(0);

        glEnable(GL_PROGRAM_POINT_SIZE);
        glViewport(0, 0, width_, height_);
        SDL_GL_SetSwapInterval(0);
        return glGetError() == GL_NO_ERROR;
    }

    ~GLGraphicsDevice() override {
        // When the window went first, the context can no longer be made
        // current; deleting it frees every object made on it.
        if (!makeCurrent()) {
            SDL_GL_DeleteContext(context_);
            return;
        }
        for (const SceneProgram& program : scenePrograms_) glDeleteProgram(program.name);
        glDeleteProgram(screenProgram_);
        glDeleteSamplers(1, &sceneSampler_);
        glDeleteSamplers(1, &screenSampler_);
        glDeleteVertexArrays(1, &screenVertexArray_);
        glDeleteBuffers(1, &screenBuffer_);
        SDL_GL_DeleteContext(context_);
    }

    int width() const override { return width_; }
    int height() const override { return height_; }

    void resize(int width, int height) override {
        if (width <= 0 || height <= 0 || !makeCurrent()) return;
        width_ = width;
        height_ = height;
        glViewport(0, 0, width_, height_);
        sendViewportSize();
    }

    void clear(uint32_t flags, uint32_t argb, float depth, uint32_t) override {
        if (!makeCurrent()) return;
        GLbitfield mask = 0;
        if ((flags & kClearTarget) != 0) {
            const ColorValue c = colorFromArgb(argb);
            glClearColor(c.r, c.g, c.b, c.a);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if ((flags & kClearZBuffer) != 0) {
            // Clearing depth ignores the depth-write switch; the next draw
            // puts the switch's own value back.
            setDepthWrite(true);
            glClearDepth(depth);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        glClear(mask);
    }

    void beginScene() override {}
    void endScene() override {}
    void present() override {
        if (!makeCurrent()) return;
        if (frameCaptureEnabled) lastPresented_ = readPixels();
        SDL_GL_SwapWindow(sdlWindowOf(window_));
    }

    const std::vector<uint32_t>& lastPresentedFrame() const override { return lastPresented_; }

    // Kept until the next draw, which sets on GL only the switches that changed.
    void setRenderState(RenderState state, uint32_t value) override {
        states_[index(state)] = value;
    }
    uint32_t renderState(RenderState state) const override { return states_[index(state)]; }

    void setSamplerState(int stage, SamplerState state, uint32_t value) override {
        if (stage != 0) return;
        samplers_[state == SamplerState::MinFilter ? 0 : 1] = value;
        if (!makeCurrent()) return;
        const GLint filter = value == kFilterLinear ? GL_LINEAR : GL_NEAREST;
        glSamplerParameteri(
            sceneSampler_,
            state == SamplerState::MinFilter ? GL_TEXTURE_MIN_FILTER : GL_TEXTURE_MAG_FILTER,
            filter);
    }
    uint32_t samplerState(int stage, SamplerState state) const override {
        if (stage != 0) return kFilterPoint;
        return samplers_[state == SamplerState::MinFilter ? 0 : 1];
    }

    void setTransform(TransformType type, const Matrix& matrix) override {
        transforms_[static_cast<int>(type)] = matrix;
        if (type == TransformType::World) normalMatrix_ = normalMatrixOf(matrix);
    }
    Matrix getTransform(TransformType type) const override {
        return transforms_[static_cast<int>(type)];
    }

    void setLight(int index, const Light& light) override {
        if (index == 0) light_ = light;
    }
    void lightEnable(int index, bool enable) override {
        if (index == 0) lightEnabled_ = enable;
    }
    void setMaterial(const Material& material) override { material_ = material; }
    Material material() const override { return material_; }

    Texture* createTexture(int width, int height, const uint8_t* rgba) override {
        if (width <= 0 || height <= 0 || rgba == nullptr || !makeCurrent()) return nullptr;
        auto* texture = new Texture{};
        texture->width = width;
        texture->height = height;
        glGenTextures(1, &texture->name);
        bindTexture(texture->name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        if (glGetError() != GL_NO_ERROR) {
            forgetTexture(texture->name);
            glDeleteTextures(1, &texture->name);
            delete texture;
            return nullptr;
        }
        return texture;
    }

    void releaseTexture(Texture* texture) override {
        if (texture == nullptr) return;
        if (boundTexture_ == texture) boundTexture_ = nullptr;
        if (makeCurrent()) {
            forgetTexture(texture->name);
            glDeleteTextures(1, &texture->name);
        }
        delete texture;
    }

    void setTexture(int stage, Texture* texture) override {
        if (stage == 0) boundTexture_ = texture;
    }
    Texture* texture(int stage) const override { return stage == 0 ? boundTexture_ : nullptr; }

    PointBuffer* createPointBuffer(int pointCount) override {
        if (pointCount < 0 || !makeCurrent()) return nullptr;
        auto* points = new PointBuffer{};
        points->capacity = pointCount;
        points->staging.resize(static_cast<size_t>(pointCount));
        glGenVertexArrays(1, &points->vertexArray);
        glGenBuffers(1, &points->buffer);
        bindVertexArray(points->vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, points->buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(PointVertex)) * pointCount,
                     nullptr, GL_DYNAMIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(PointVertex), nullptr);
        // The colour is stored as ARGB in a little-endian word: B, G, R, A bytes.
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(PointVertex),
                              reinterpret_cast<void*>(12));
        bindVertexArray(0);
        return points;
    }

    void releasePointBuffer(PointBuffer* buffer) override {
        if (buffer == nullptr) return;
        if (pointSource_ == buffer) pointSource_ = nullptr;
        if (makeCurrent()) {
            glDeleteBuffers(1, &buffer->buffer);
            forgetVertexArray(buffer->vertexArray);
            glDeleteVertexArrays(1, &buffer->vertexArray);
        }
        delete buffer;
    }

    PointVertex* lockPointBuffer(PointBuffer* buffer) override {
        if (buffer == nullptr) return nullptr;
        return buffer->staging.data();
    }

    void unlockPointBuffer(PointBuffer* buffer) override {
        if (buffer == nullptr || buffer->capacity == 0 || !makeCurrent()) return;
        const auto bytes = static_cast<GLsizeiptr>(sizeof(PointVertex)) * buffer->capacity;
        glBindBuffer(GL_ARRAY_BUFFER, buffer->buffer);
        glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_DYNAMIC_DRAW);
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, buffer->staging.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    void setPointSource(PointBuffer* buffer) override { pointSource_ = buffer; }

    void drawPointList(int firstPoint, int pointCount) override {
        if (pointSource_ == nullptr || pointCount <= 0 || firstPoint < 0 ||
            firstPoint + pointCount > pointSource_->capacity || !makeCurrent())
            return;
        prepareSceneDraw(/*hasNormal=*/false, /*hasColor=*/true, /*points=*/true);
        bindVertexArray(pointSource_->vertexArray);
        glDrawArrays(GL_POINTS, firstPoint, pointCount);
    }

    GpuMesh* createMesh(const MeshData& data) override {
        if (!makeCurrent()) return nullptr;
        auto* mesh = new GpuMesh{};
        mesh->subsets = data.subsets;
        mesh->hasNormals = data.hasNormals;
        mesh->corners = boxCorners(data.vertices);
        glGenVertexArrays(1, &mesh->vertexArray);
        glGenBuffers(1, &mesh->vertexBuffer);
        glGenBuffers(1, &mesh->indexBuffer);
        bindVertexArray(mesh->vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, mesh->vertexBuffer);
        glBufferData(GL_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(data.vertices.size() * sizeof(MeshVertex)),
                     data.vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(data.indices.size() * sizeof(uint32_t)),
                     data.indices.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                              reinterpret_cast<void*>(offsetof(MeshVertex, position)));
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                              reinterpret_cast<void*>(offsetof(MeshVertex, normal)));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                              reinterpret_cast<void*>(offsetof(MeshVertex, u)));
        bindVertexArray(0);
        return mesh;
    }

    void releaseMesh(GpuMesh* mesh) override {
        if (mesh == nullptr) return;
        if (makeCurrent()) {
            glDeleteBuffers(1, &mesh->vertexBuffer);
            glDeleteBuffers(1, &mesh->indexBuffer);
            forgetVertexArray(mesh->vertexArray);
            glDeleteVertexArrays(1, &mesh->vertexArray);
        }
        delete mesh;
    }

    void drawSubset(GpuMesh* mesh, uint32_t subset) override {
        if (mesh == nullptr || subset >= mesh->subsets.size()) return;
        const MeshSubset& range = mesh->subsets[subset];
        if (range.indexCount == 0 || !makeCurrent()) return;
        const Matrix placement =
            matrixMultiply(matrixMultiply(transforms_[0], transforms_[1]), transforms_[2]);
        if (outsideView(mesh->corners, placement)) return;
        prepareSceneDraw(mesh->hasNormals, /*hasColor=*/false, /*points=*/false);
        bindVertexArray(mesh->vertexArray);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(sizeof(uint32_t) * range.firstIndex));
    }

    // The scene's render states are not touched: the next scene draw sets
    // its own switches again.
    void drawScreenImage(Texture* image, int x, int y, int w, int h, uint32_t argb) override {
        if (image == nullptr || w <= 0 || h <= 0 || !makeCurrent()) return;
        const float left = static_cast<float>(x), top = static_cast<float>(y);
        const float right = left + static_cast<float>(w), bottom = top + static_cast<float>(h);
        const float quad[16] = {left, top,    0, 0, right, top,    1, 0,
                                left, bottom, 0, 1, right, bottom, 1, 1};
        useProgram(screenProgram_);
        const ColorValue tint = colorFromArgb(argb);
        if (differs(screenTint_, tint, !screenTintSent_)) {
            glUniform4f(screenUniforms_.tint, tint.r, tint.g, tint.b, tint.a);
            screenTintSent_ = true;
        }
        bindTexture(image->name);
        bindSampler(screenSampler_);
        setDepthTest(false);
        setDepthWrite(false);
        setCullMode(kCullNone);
        setBlend(true);
        setBlendFunction(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        bindVertexArray(screenVertexArray_);
        glBindBuffer(GL_ARRAY_BUFFER, screenBuffer_);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    std::vector<uint32_t> readPixels() const override {
        if (!const_cast<GLGraphicsDevice*>(this)->makeCurrent()) return {};
        std::vector<uint8_t> rgba(static_cast<size_t>(width_) * height_ * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<uint32_t> argb(static_cast<size_t>(width_) * height_);
        for (int row = 0; row < height_; ++row) {
            const uint8_t* source = &rgba[static_cast<size_t>(height_ - 1 - row) * width_ * 4];
            for (int col = 0; col < width_; ++col) {
                const uint8_t* p = source + col * 4;
                argb[static_cast<size_t>(row) * width_ + col] =
                    0xFF000000u | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
            }
        }
        return argb;
    }

private:
    struct SceneUniforms {
        GLint world, view, projection, normalMatrix;
        GLint lighting, hasNormal, hasColor, lightEnabled, toLight, lightDiffuse, lightAmbient;
        GLint ambientLevel, materialDiffuse, materialAmbient, materialEmissive;
        GLint pointScale, pointSize, pointSizeMin, pointSizeMax, pointScaleFactors;
    };
    // Every per-draw input of the scene programs, as last sent to one of them.
    struct SceneValues {
        Matrix world, view, projection;
        std::array<float, 9> normalMatrix;
        GLint lighting, hasNormal, hasColor, lightEnabled, pointScale;
        Vec3 toLight;
        ColorValue lightDiffuse, lightAmbient, ambientLevel;
        ColorValue materialDiffuse, materialAmbient, materialEmissive;
        float pointSize, pointSizeMin, pointSizeMax;
        Vec3 pointScaleFactors;
    };
    struct SceneProgram {
        GLuint name = 0;
        SceneUniforms at{};
        SceneValues sent{};
        bool anySent = false;
        GLint viewportHeight = -1;
    };
    struct ScreenUniforms {
        GLint screenSize, tint, image;
    };
    // The GL switches as last set, so that only changes reach GL.
    struct Switches {
        bool depthTest = false, depthWrite = true, blend = false;
        uint32_t cullMode = kCullNone;
        GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    };

    static constexpr size_t index(RenderState state) { return static_cast<size_t>(state); }

    // False once the window is gone: nothing can be drawn or freed on GL then.
    bool makeCurrent() {
        SDL_Window* sdl = sdlWindowOf(window_);
        if (sdl == nullptr) return false;
        if (SDL_GL_GetCurrentContext() == context_) return true;
        return SDL_GL_MakeCurrent(sdl, context_) == 0;
    }

    // One vertex shader, and the fragment shader in each kind's build.
    bool linkScenePrograms() {
        const GLuint vertex = compileShader(GL_VERTEX_SHADER, kSceneVertexShader);
        bool linked = vertex != 0;
        for (size_t kind = 0; linked && kind < scenePrograms_.size(); ++kind) {
            const GLuint fragment =
                compileShader(GL_FRAGMENT_SHADER, kSceneFragmentShader, kSceneKindPrefix[kind]);
            SceneProgram& program = scenePrograms_[kind];
            program.name = linkShaders(vertex, fragment);
            glDeleteShader(fragment);
            linked = program.name != 0;
            if (linked) lookUpSceneUniforms(program);
        }
        glDeleteShader(vertex);
        return linked;
    }

    void lookUpSceneUniforms(SceneProgram& program) {
        auto at = [&program](const char* name) { return glGetUniformLocation(program.name, name); };
        program.at = {at("world"),
                      at("view"),
                      at("projection"),
                      at("normalMatrix"),
                      at("lighting"),
                      at("hasNormal"),
                      at("hasColor"),
                      at("lightEnabled"),
                      at("toLight"),
                      at("lightDiffuse"),
                      at("lightAmbient"),
                      at("ambientLevel"),
                      at("materialDiffuse"),
                      at("materialAmbient"),
                      at("materialEmissive"),
                      at("pointScale"),
                      at("pointSize"),
                      at("pointSizeMin"),
                      at("pointSizeMax"),
                      at("pointScaleFactors")};
        // What changes only with the window's size is sent with it.
        useProgram(program.name);
        program.viewportHeight = at("viewportHeight");
        glUniform1f(program.viewportHeight, static_cast<float>(height_));
        glUniform1i(at("image"), 0);
    }

    void sendViewportSize() {
        for (const SceneProgram& program : scenePrograms_) {
            useProgram(program.name);
            glUniform1f(program.viewportHeight, static_cast<float>(height_));
        }
        useProgram(screenProgram_);
        glUniform2f(screenUniforms_.screenSize, static_cast<float>(width_),
                    static_cast<float>(height_));
    }

    void lookUpScreenUniforms() {
        auto at = [this](const char* name) { return glGetUniformLocation(screenProgram_, name); };
        screenUniforms_ = {at("screenSize"), at("tint"), at("image")};
        useProgram(screenProgram_);
        glUniform2f(screenUniforms_.screenSize, static_cast<float>(width_),
                    static_cast<float>(height_));
        glUniform1i(screenUniforms_.image, 0);
    }

    // The states a freshly created device starts with.
    void setDefaultStates() {
        states_.fill(0);
        states_[index(RenderState::ZEnable)] = 1;
        states_[index(RenderState::ZWriteEnable)] = 1;
        states_[index(RenderState::Lighting)] = 1;
        states_[index(RenderState::Ambient)] = 0;
        states_[index(RenderState::CullMode)] = kCullCounterClockwise;
        states_[index(RenderState::AlphaBlendEnable)] = 0;
        states_[index(RenderState::SrcBlend)] = kBlendOne;
        states_[index(RenderState::DestBlend)] = kBlendZero;
        states_[index(RenderState::PointSize)] = floatBits(1.0f);
        states_[index(RenderState::PointSizeMin)] = floatBits(1.0f);
        states_[index(RenderState::PointSizeMax)] = floatBits(64.0f);
        states_[index(RenderState::PointScaleA)] = floatBits(1.0f);
        states_[index(RenderState::PointScaleB)] = floatBits(0.0f);
        states_[index(RenderState::PointScaleC)] = floatBits(0.0f);
        samplers_ = {kFilterPoint, kFilterPoint};
        glSamplerParameteri(sceneSampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(sceneSampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(sceneSampler_, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(sceneSampler_, GL_TEXTURE_WRAP_T, GL_REPEAT);
        bindSampler(sceneSampler_);
        glDepthFunc(GL_LEQUAL);
        applySceneSwitches();
        const Matrix identity = matrixIdentity();
        transforms_ = {identity, identity, identity};
        normalMatrix_ = normalMatrixOf(identity);
    }

    // Render states that map onto GL's own switches; the rest are read at draw time.
    void applySceneSwitches() {
        setDepthTest(states_[index(RenderState::ZEnable)] != 0);
        setDepthWrite(states_[index(RenderState::ZWriteEnable)] != 0);
        setCullMode(states_[index(RenderState::CullMode)]);
        setBlend(states_[index(RenderState::AlphaBlendEnable)] != 0);
        setBlendFunction(blendFactor(states_[index(RenderState::SrcBlend)]),
                         blendFactor(states_[index(RenderState::DestBlend)]));
        switchesKnown_ = true;
    }

    template <typename T>
    bool switchChanges(T& current, T wanted) {
        if (switchesKnown_ && current == wanted) return false;
        current = wanted;
        return true;
    }
    void setDepthTest(bool on) {
        if (switchChanges(switches_.depthTest, on))
            on ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    }
    void setDepthWrite(bool on) {
        if (switchChanges(switches_.depthWrite, on)) glDepthMask(on ? GL_TRUE : GL_FALSE);
    }
    void setCullMode(uint32_t mode) {
        if (!switchChanges(switches_.cullMode, mode)) return;
        if (mode == kCullNone) {
            glDisable(GL_CULL_FACE);
        } else {
            // The culled faces are those wound the named way on screen.
            glEnable(GL_CULL_FACE);
            glFrontFace(mode == kCullCounterClockwise ? GL_CW : GL_CCW);
        }
    }
    void setBlend(bool on) {
        if (switchChanges(switches_.blend, on)) on ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    }
    void setBlendFunction(GLenum source, GLenum destination) {
        const bool sourceChanges = switchChanges(switches_.blendSource, source);
        const bool destinationChanges = switchChanges(switches_.blendDestination, destination);
        if (sourceChanges || destinationChanges) glBlendFunc(source, destination);
    }

    void useProgram(GLuint program) {
        if (currentProgram_ == program) return;
        glUseProgram(program);
        currentProgram_ = program;
    }
    void bindTexture(GLuint name) {
        if (boundTextureName_ == name) return;
        glBindTexture(GL_TEXTURE_2D, name);
        boundTextureName_ = name;
    }
    // GL unbinds what is deleted while bound.
    void forgetTexture(GLuint name) {
        if (boundTextureName_ == name) boundTextureName_ = 0;
    }
    void bindSampler(GLuint sampler) {
        if (boundSampler_ == sampler) return;
        glBindSampler(0, sampler);
        boundSampler_ = sampler;
    }
    void bindVertexArray(GLuint vertexArray) {
        if (boundVertexArray_ == vertexArray) return;
        glBindVertexArray(vertexArray);
        boundVertexArray_ = vertexArray;
    }
    void forgetVertexArray(GLuint vertexArray) {
        if (boundVertexArray_ == vertexArray) boundVertexArray_ = 0;
    }

    float floatState(RenderState state) const { return bitsFloat(states_[index(state)]); }

    void prepareSceneDraw(bool hasNormal, bool hasColor, bool points) {
        applySceneSwitches();
        const bool textured = boundTexture_ != nullptr;
        const bool sprite = points && states_[index(RenderState::PointSpriteEnable)] != 0;
        const SceneKind kind =
            !textured ? SceneKind::Plain : (sprite ? SceneKind::Sprite : SceneKind::Textured);
        SceneProgram& program = scenePrograms_[static_cast<size_t>(kind)];
        useProgram(program.name);

        SceneValues wanted;
        wanted.world = transforms_[0];
        wanted.view = transforms_[1];
        wanted.projection = transforms_[2];
        wanted.normalMatrix = normalMatrix_;
        wanted.lighting = states_[index(RenderState::Lighting)] != 0;
        wanted.hasNormal = hasNormal;
        wanted.hasColor = hasColor;
        wanted.lightEnabled = lightEnabled_;
        wanted.pointScale = points && states_[index(RenderState::PointScaleEnable)] != 0;
        wanted.toLight =
            vec3Normalize({-light_.direction.x, -light_.direction.y, -light_.direction.z});
        wanted.lightDiffuse = light_.diffuse;
        wanted.lightAmbient = light_.ambient;
        wanted.ambientLevel = colorFromArgb(states_[index(RenderState::Ambient)]);
        wanted.materialDiffuse = material_.diffuse;
        wanted.materialAmbient = material_.ambient;
        wanted.materialEmissive = material_.emissive;
        wanted.pointSize = floatState(RenderState::PointSize);
        wanted.pointSizeMin = floatState(RenderState::PointSizeMin);
        wanted.pointSizeMax = floatState(RenderState::PointSizeMax);
        wanted.pointScaleFactors = {floatState(RenderState::PointScaleA),
                                    floatState(RenderState::PointScaleB),
                                    floatState(RenderState::PointScaleC)};
        sendSceneValues(program, wanted);

        if (textured) {
            bindSampler(sceneSampler_);
            bindTexture(boundTexture_->name);
        }
    }

    void sendSceneValues(SceneProgram& program, const SceneValues& wanted) {
        const bool all = !program.anySent;
        program.anySent = true;
        SceneValues& sent = program.sent;
        const SceneUniforms& u = program.at;
        auto sendMatrix = [&](GLint at, Matrix& current, const Matrix& value) {
            if (differs(current, value, all)) glUniformMatrix4fv(at, 1, GL_FALSE, &value.m[0][0]);
        };
        auto sendFlag = [&](GLint at, GLint& current, GLint value) {
            if (differs(current, value, all)) glUniform1i(at, value);
        };
        auto sendFloat = [&](GLint at, float& current, float value) {
            if (differs(current, value, all)) glUniform1f(at, value);
        };
        auto sendVec3 = [&](GLint at, Vec3& current, const Vec3& value) {
            if (differs(current, value, all)) glUniform3f(at, value.x, value.y, value.z);
        };
        auto sendColor = [&](GLint at, ColorValue& current, const ColorValue& value) {
            if (differs(current, value, all)) glUniform4f(at, value.r, value.g, value.b, value.a);
        };
        sendMatrix(u.world, sent.world, wanted.world);
        sendMatrix(u.view, sent.view, wanted.view);
        sendMatrix(u.projection, sent.projection, wanted.projection);
        if (differs(sent.normalMatrix, wanted.normalMatrix, all))
            glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, wanted.normalMatrix.data());
        sendFlag(u.lighting, sent.lighting, wanted.lighting);
        sendFlag(u.hasNormal, sent.hasNormal, wanted.hasNormal);
        sendFlag(u.hasColor, sent.hasColor, wanted.hasColor);
        sendFlag(u.lightEnabled, sent.lightEnabled, wanted.lightEnabled);
        sendFlag(u.pointScale, sent.pointScale, wanted.pointScale);
        sendVec3(u.toLight, sent.toLight, wanted.toLight);
        sendColor(u.lightDiffuse, sent.lightDiffuse, wanted.lightDiffuse);
        sendColor(u.lightAmbient, sent.lightAmbient, wanted.lightAmbient);
        sendColor(u.ambientLevel, sent.ambientLevel, wanted.ambientLevel);
        sendColor(u.materialDiffuse, sent.materialDiffuse, wanted.materialDiffuse);
        sendColor(u.materialAmbient, sent.materialAmbient, wanted.materialAmbient);
        sendColor(u.materialEmissive, sent.materialEmissive, wanted.materialEmissive);
        sendFloat(u.pointSize, sent.pointSize, wanted.pointSize);
        sendFloat(u.pointSizeMin, sent.pointSizeMin, wanted.pointSizeMin);
        sendFloat(u.pointSizeMax, sent.pointSizeMax, wanted.pointSizeMax);
        sendVec3(u.pointScaleFactors, sent.pointScaleFactors, wanted.pointScaleFactors);
    }

    WindowHandle window_;
    SDL_GLContext context_;
    int width_, height_;
    std::array<SceneProgram, static_cast<size_t>(SceneKind::Count)> scenePrograms_{};
    GLuint screenProgram_ = 0;
    GLuint sceneSampler_ = 0, screenSampler_ = 0;
    GLuint screenVertexArray_ = 0, screenBuffer_ = 0;
    ScreenUniforms screenUniforms_{};
    ColorValue screenTint_{};
    bool screenTintSent_ = false;
    std::array<uint32_t, static_cast<size_t>(RenderState::Count)> states_{};
    std::array<uint32_t, 2> samplers_{};
    std::array<Matrix, 3> transforms_{};
    std::array<float, 9> normalMatrix_{};
    Light light_{};
    bool lightEnabled_ = false;
    Material material_{};
    Texture* boundTexture_ = nullptr;
    PointBuffer* pointSource_ = nullptr;
    std::vector<uint32_t> lastPresented_;
    // What is bound on the GL context right now.
    Switches switches_;
    bool switchesKnown_ = false;  // until first set, every switch goes to GL
    GLuint currentProgram_ = 0, boundTextureName_ = 0, boundSampler_ = 0, boundVertexArray_ = 0;
};

}  // namespace

void setFrameCapture(bool enabled) { frameCaptureEnabled = enabled; }

std::unique_ptr<GraphicsDevice> GraphicsDevice::create(WindowHandle window, int width, int height) {
    SDL_Window* sdl = sdlWindowOf(window);
    if (sdl == nullptr || width <= 0 || height <= 0) return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    if (context == nullptr) return nullptr;
    auto device = std::make_unique<GLGraphicsDevice>(window, context, width, height);
    if (!device->initialise()) return nullptr;
    return device;
}

}  // namespace platform
