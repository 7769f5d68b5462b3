#include "scene/platform/graphics_device.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cstdio>

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
};

namespace {

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

GLuint compileShader(GLenum kind, const char* source) {
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
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

GLuint linkProgram(const char* vertexSource, const char* fragmentSource) {
    GLuint vertex = compileShader(GL_VERTEX_SHADER, vertexSource);
    GLuint fragment = compileShader(GL_FRAGMENT_SHADER, fragmentSource);
    if (vertex == 0 || fragment == 0) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        glDeleteProgram(program);
        return 0;
    }
    return program;
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
        sceneProgram_ = linkProgram(kSceneVertexShader, kSceneFragmentShader);
        screenProgram_ = linkProgram(kScreenVertexShader, kScreenFragmentShader);
        if (sceneProgram_ == 0 || screenProgram_ == 0) return false;
        lookUpUniforms();

        glGenSamplers(1, &sceneSampler_);
        glGenSamplers(1, &screenSampler_);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(screenSampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        setDefaultStates();

        glGenVertexArrays(1, &screenVertexArray_);
        glGenBuffers(1, &screenBuffer_);
        glBindVertexArray(screenVertexArray_);
        glBindBuffer(GL_ARRAY_BUFFER, screenBuffer_);
        glBufferData(GL_ARRAY_BUFFER, sizeof(float) * 16, nullptr, GL_DYNAMIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                              reinterpret_cast<void*>(2 * sizeof(float)));
        glBindVertexArray(0);

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
        glDeleteProgram(sceneProgram_);
        glDeleteProgram(screenProgram_);
        glDeleteSamplers(1, &sceneSampler_);
        glDeleteSamplers(1, &screenSampler_);
        glDeleteVertexArrays(1, &screenVertexArray_);
        glDeleteBuffers(1, &screenBuffer_);
        SDL_GL_DeleteContext(context_);
    }

    int width() const override { return width_; }
    int height() const override { return height_; }

    void clear(uint32_t flags, uint32_t argb, float depth, uint32_t) override {
        if (!makeCurrent()) return;
        GLbitfield mask = 0;
        if ((flags & kClearTarget) != 0) {
            const ColorValue c = colorFromArgb(argb);
            glClearColor(c.r, c.g, c.b, c.a);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if ((flags & kClearZBuffer) != 0) {
            // Clearing depth ignores the depth-write switch.
            glDepthMask(GL_TRUE);
            glClearDepth(depth);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        glClear(mask);
        glDepthMask(states_[index(RenderState::ZWriteEnable)] != 0 ? GL_TRUE : GL_FALSE);
    }

    void beginScene() override {}
    void endScene() override {}
    void present() override {
        if (!makeCurrent()) return;
        if (frameCaptureEnabled) lastPresented_ = readPixels();
        SDL_GL_SwapWindow(sdlWindowOf(window_));
    }

    const std::vector<uint32_t>& lastPresentedFrame() const override { return lastPresented_; }

    void setRenderState(RenderState state, uint32_t value) override {
        states_[index(state)] = value;
        if (makeCurrent()) applyRenderState(state);
    }
    uint32_t renderState(RenderState state) const override { return states_[index(state)]; }

    void setSamplerState(int stage, SamplerState state, uint32_t value) override {
        if (stage != 0) return;
        samplers_[state == SamplerState::MinFilter ? 0 : 1] = value;
        if (!makeCurrent()) return;
        const GLint filter = value == kFilterLinear ? GL_LINEAR : GL_NEAREST;
        glSamplerParameteri(sceneSampler_,
                            state == SamplerState::MinFilter ? GL_TEXTURE_MIN_FILTER
                                                             : GL_TEXTURE_MAG_FILTER,
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
        glBindTexture(GL_TEXTURE_2D, texture->name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     rgba);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        if (glGetError() != GL_NO_ERROR) {
            glDeleteTextures(1, &texture->name);
            delete texture;
            return nullptr;
        }
        return texture;
    }

    void releaseTexture(Texture* texture) override {
        if (texture == nullptr) return;
        if (boundTexture_ == texture) boundTexture_ = nullptr;
        if (makeCurrent()) glDeleteTextures(1, &texture->name);
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
        glBindVertexArray(points->vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, points->buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(PointVertex)) * pointCount,
                     nullptr, GL_DYNAMIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(PointVertex), nullptr);
        // The colour is stored as ARGB in a little-endian word: B, G, R, A bytes.
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(PointVertex),
                              reinterpret_cast<void*>(12));
        glBindVertexArray(0);
        return points;
    }

    void releasePointBuffer(PointBuffer* buffer) override {
        if (buffer == nullptr) return;
        if (pointSource_ == buffer) pointSource_ = nullptr;
        if (makeCurrent()) {
            glDeleteBuffers(1, &buffer->buffer);
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
        glBindVertexArray(pointSource_->vertexArray);
        glDrawArrays(GL_POINTS, firstPoint, pointCount);
        glBindVertexArray(0);
    }

    GpuMesh* createMesh(const MeshData& data) override {
        if (!makeCurrent()) return nullptr;
        auto* mesh = new GpuMesh{};
        mesh->subsets = data.subsets;
        mesh->hasNormals = data.hasNormals;
        glGenVertexArrays(1, &mesh->vertexArray);
        glGenBuffers(1, &mesh->vertexBuffer);
        glGenBuffers(1, &mesh->indexBuffer);
        glBindVertexArray(mesh->vertexArray);
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
        glBindVertexArray(0);
        return mesh;
    }

    void releaseMesh(GpuMesh* mesh) override {
        if (mesh == nullptr) return;
        if (makeCurrent()) {
            glDeleteBuffers(1, &mesh->vertexBuffer);
            glDeleteBuffers(1, &mesh->indexBuffer);
            glDeleteVertexArrays(1, &mesh->vertexArray);
        }
        delete mesh;
    }

    void drawSubset(GpuMesh* mesh, uint32_t subset) override {
        if (mesh == nullptr || subset >= mesh->subsets.size()) return;
        const MeshSubset& range = mesh->subsets[subset];
        if (range.indexCount == 0 || !makeCurrent()) return;
        prepareSceneDraw(mesh->hasNormals, /*hasColor=*/false, /*points=*/false);
        glBindVertexArray(mesh->vertexArray);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(sizeof(uint32_t) * range.firstIndex));
        glBindVertexArray(0);
    }

    void drawScreenImage(Texture* image, int x, int y, int w, int h, uint32_t argb) override {
        if (image == nullptr || w <= 0 || h <= 0 || !makeCurrent()) return;
        const float left = static_cast<float>(x), top = static_cast<float>(y);
        const float right = left + static_cast<float>(w), bottom = top + static_cast<float>(h);
        const float quad[16] = {left, top, 0, 0, right, top, 1, 0,
                                left, bottom, 0, 1, right, bottom, 1, 1};
        glUseProgram(screenProgram_);
        glUniform2f(screenUniforms_.screenSize, static_cast<float>(width_),
                    static_cast<float>(height_));
        const ColorValue tint = colorFromArgb(argb);
        glUniform4f(screenUniforms_.tint, tint.r, tint.g, tint.b, tint.a);
        glUniform1i(screenUniforms_.image, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, image->name);
        glBindSampler(0, screenSampler_);
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindVertexArray(screenVertexArray_);
        glBindBuffer(GL_ARRAY_BUFFER, screenBuffer_);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindVertexArray(0);
        glBindSampler(0, sceneSampler_);
        // Put back what the scene's states say.
        for (int s = 0; s < static_cast<int>(RenderState::Count); ++s)
            applyRenderState(static_cast<RenderState>(s));
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
        GLint pointScale, pointSize, pointSizeMin, pointSizeMax, pointScaleFactors, viewportHeight;
        GLint image, textured, pointSprite;
    };
    struct ScreenUniforms {
        GLint screenSize, tint, image;
    };

    static constexpr size_t index(RenderState state) { return static_cast<size_t>(state); }

    // False once the window is gone: nothing can be drawn or freed on GL then.
    bool makeCurrent() {
        SDL_Window* sdl = sdlWindowOf(window_);
        if (sdl == nullptr) return false;
        if (SDL_GL_GetCurrentContext() == context_) return true;
        return SDL_GL_MakeCurrent(sdl, context_) == 0;
    }

    void lookUpUniforms() {
        auto scene = [this](const char* name) { return glGetUniformLocation(sceneProgram_, name); };
        sceneUniforms_ = {scene("world"), scene("view"), scene("projection"),
                          scene("normalMatrix"), scene("lighting"), scene("hasNormal"),
                          scene("hasColor"), scene("lightEnabled"), scene("toLight"),
                          scene("lightDiffuse"), scene("lightAmbient"), scene("ambientLevel"),
                          scene("materialDiffuse"), scene("materialAmbient"),
                          scene("materialEmissive"), scene("pointScale"), scene("pointSize"),
                          scene("pointSizeMin"), scene("pointSizeMax"),
                          scene("pointScaleFactors"), scene("viewportHeight"), scene("image"),
                          scene("textured"), scene("pointSprite")};
        auto screen = [this](const char* name) {
            return glGetUniformLocation(screenProgram_, name);
        };
        screenUniforms_ = {screen("screenSize"), screen("tint"), screen("image")};
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
        glBindSampler(0, sceneSampler_);
        glDepthFunc(GL_LEQUAL);
        for (int s = 0; s < static_cast<int>(RenderState::Count); ++s)
            applyRenderState(static_cast<RenderState>(s));
        const Matrix identity = matrixIdentity();
        transforms_ = {identity, identity, identity};
        normalMatrix_ = normalMatrixOf(identity);
    }

    // Render states that map onto GL's own switches; the rest are read at draw time.
    void applyRenderState(RenderState state) {
        const uint32_t value = states_[index(state)];
        switch (state) {
            case RenderState::ZEnable:
                value != 0 ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
                break;
            case RenderState::ZWriteEnable: glDepthMask(value != 0 ? GL_TRUE : GL_FALSE); break;
            case RenderState::CullMode:
                if (value == kCullNone) {
                    glDisable(GL_CULL_FACE);
                } else {
                    // The culled faces are those wound the named way on screen.
                    glEnable(GL_CULL_FACE);
                    glCullFace(GL_BACK);
                    glFrontFace(value == kCullCounterClockwise ? GL_CW : GL_CCW);
                }
                break;
            case RenderState::AlphaBlendEnable:
                value != 0 ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
                break;
            case RenderState::SrcBlend:
            case RenderState::DestBlend:
                glBlendFunc(blendFactor(states_[index(RenderState::SrcBlend)]),
                            blendFactor(states_[index(RenderState::DestBlend)]));
                break;
            default: break;
        }
    }

    float floatState(RenderState state) const { return bitsFloat(states_[index(state)]); }

    void prepareSceneDraw(bool hasNormal, bool hasColor, bool points) {
        const SceneUniforms& u = sceneUniforms_;
        glUseProgram(sceneProgram_);
        glUniformMatrix4fv(u.world, 1, GL_FALSE, &transforms_[0].m[0][0]);
        glUniformMatrix4fv(u.view, 1, GL_FALSE, &transforms_[1].m[0][0]);
        glUniformMatrix4fv(u.projection, 1, GL_FALSE, &transforms_[2].m[0][0]);
        glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, normalMatrix_.data());
        glUniform1i(u.lighting, states_[index(RenderState::Lighting)] != 0);
        glUniform1i(u.hasNormal, hasNormal);
        glUniform1i(u.hasColor, hasColor);
        glUniform1i(u.lightEnabled, lightEnabled_);
        const Vec3 toLight = vec3Normalize(
            {-light_.direction.x, -light_.direction.y, -light_.direction.z});
        glUniform3f(u.toLight, toLight.x, toLight.y, toLight.z);
        glUniform4f(u.lightDiffuse, light_.diffuse.r, light_.diffuse.g, light_.diffuse.b,
                    light_.diffuse.a);
        glUniform4f(u.lightAmbient, light_.ambient.r, light_.ambient.g, light_.ambient.b,
                    light_.ambient.a);
        const ColorValue ambient = colorFromArgb(states_[index(RenderState::Ambient)]);
        glUniform4f(u.ambientLevel, ambient.r, ambient.g, ambient.b, ambient.a);
        glUniform4f(u.materialDiffuse, material_.diffuse.r, material_.diffuse.g,
                    material_.diffuse.b, material_.diffuse.a);
        glUniform4f(u.materialAmbient, material_.ambient.r, material_.ambient.g,
                    material_.ambient.b, material_.ambient.a);
        glUniform4f(u.materialEmissive, material_.emissive.r, material_.emissive.g,
                    material_.emissive.b, material_.emissive.a);
        glUniform1i(u.pointScale, points && states_[index(RenderState::PointScaleEnable)] != 0);
        glUniform1f(u.pointSize, floatState(RenderState::PointSize));
        glUniform1f(u.pointSizeMin, floatState(RenderState::PointSizeMin));
        glUniform1f(u.pointSizeMax, floatState(RenderState::PointSizeMax));
        glUniform3f(u.pointScaleFactors, floatState(RenderState::PointScaleA),
                    floatState(RenderState::PointScaleB), floatState(RenderState::PointScaleC));
        glUniform1f(u.viewportHeight, static_cast<float>(height_));
        glUniform1i(u.image, 0);
        glUniform1i(u.textured, boundTexture_ != nullptr);
        glUniform1i(u.pointSprite, points && states_[index(RenderState::PointSpriteEnable)] != 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, boundTexture_ != nullptr ? boundTexture_->name : 0);
    }

    WindowHandle window_;
    SDL_GLContext context_;
    int width_, height_;
    GLuint sceneProgram_ = 0, screenProgram_ = 0;
    GLuint sceneSampler_ = 0, screenSampler_ = 0;
    GLuint screenVertexArray_ = 0, screenBuffer_ = 0;
    SceneUniforms sceneUniforms_{};
    ScreenUniforms screenUniforms_{};
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
