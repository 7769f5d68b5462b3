#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/game_world.h"
#include "gl_test_window.h"
#include "mesh_test_support.h"
#include "message_recorder.h"
#include "scene/meshmanager.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

using platform::RenderState;
using platform::TransformType;

constexpr int kSize = 240;
constexpr uint32_t kBackground = 0xFF000000;
constexpr const char* kModelError = "שגיאה בטעינת מודל.";
constexpr const char* kTextureError = "שגיאה בטעינת טקסטורה.";

// Three quads side by side, one material each: a textured one, an untextured
// green one (diffuse alpha 0.5) and another textured one. Seen from z = -5,
// their middles fall at pixels 50, 120 and 190 across the 240-pixel frame.
std::string threeMaterialFile(const std::string& firstTexture, const std::string& lastTexture) {
    return R"(xof 0303txt 0032
Frame Root {
  FrameTransformMatrix {
    1.000000, 0.000000, 0.000000, 0.000000,
    0.000000, 1.000000, 0.000000, 0.000000,
    0.000000, 0.000000, 1.000000, 0.000000,
    0.000000, 0.000000, 0.000000, 1.000000;;
  }
  Mesh Strip {
    12;
    -1.800000;-0.600000;0.000000;, -1.800000;0.600000;0.000000;,
    -0.600000;0.600000;0.000000;, -0.600000;-0.600000;0.000000;,
    -0.600000;-0.600000;0.000000;, -0.600000;0.600000;0.000000;,
    0.600000;0.600000;0.000000;, 0.600000;-0.600000;0.000000;,
    0.600000;-0.600000;0.000000;, 0.600000;0.600000;0.000000;,
    1.800000;0.600000;0.000000;, 1.800000;-0.600000;0.000000;;
    6;
    3;0,1,2;, 3;0,2,3;, 3;4,5,6;, 3;4,6,7;, 3;8,9,10;, 3;8,10,11;;
    MeshTextureCoords {
      12;
      0.000000;1.000000;, 0.000000;0.000000;, 1.000000;0.000000;, 1.000000;1.000000;,
      0.000000;1.000000;, 0.000000;0.000000;, 1.000000;0.000000;, 1.000000;1.000000;,
      0.000000;1.000000;, 0.000000;0.000000;, 1.000000;0.000000;, 1.000000;1.000000;;
    }
    MeshMaterialList {
      3;
      6;
      0, 0, 1, 1, 2, 2;;
      Material First {
        1.000000;1.000000;1.000000;1.000000;;
        5.000000;
        0.100000;0.200000;0.300000;;
        0.000000;0.000000;0.000000;;
        TextureFilename { ")" +
           firstTexture + R"("; }
      }
      Material Middle {
        0.000000;1.000000;0.000000;0.500000;;
        7.000000;
        0.000000;0.000000;0.000000;;
        0.000000;0.000000;0.000000;;
      }
      Material Last {
        1.000000;1.000000;1.000000;1.000000;;
        9.000000;
        0.000000;0.000000;0.000000;;
        0.000000;0.000000;0.000000;;
        TextureFilename { ")" +
           lastTexture + R"("; }
      }
    }
  }
}
)";
}

// A triangle inside two frames: scaled by 2 around a move of 5 along x.
constexpr const char* kNestedFrames = R"(xof 0303txt 0032
Frame Outer {
  FrameTransformMatrix {
    2.000000, 0.000000, 0.000000, 0.000000,
    0.000000, 2.000000, 0.000000, 0.000000,
    0.000000, 0.000000, 2.000000, 0.000000,
    0.000000, 0.000000, 0.000000, 1.000000;;
  }
  Frame Inner {
    FrameTransformMatrix {
      1.000000, 0.000000, 0.000000, 0.000000,
      0.000000, 1.000000, 0.000000, 0.000000,
      0.000000, 0.000000, 1.000000, 0.000000,
      5.000000, 0.000000, 0.000000, 1.000000;;
    }
    Mesh Piece {
      3;
      0.000000;0.000000;0.000000;, 1.000000;0.000000;0.000000;, 1.000000;2.000000;3.000000;;
      1;
      3;0,1,2;;
      MeshMaterialList { 1; 1; 0;; Material { 1.000000;1.000000;1.000000;1.000000;; 0.000000;
        0.000000;0.000000;0.000000;; 0.000000;0.000000;0.000000;; } }
    }
  }
}
)";

// A mesh with no material list at all.
constexpr const char* kNoMaterials = R"(xof 0303txt 0032
Mesh Bare {
  3;
  -1.000000;-1.000000;0.000000;, -1.000000;1.000000;0.000000;, 1.000000;1.000000;0.000000;;
  1;
  3;0,1,2;;
}
)";

// The same quad as a binary file: tokens of the binary .x format.
std::string binaryQuadFile() {
    std::string out = "xof 0303bin 0032";
    auto put16 = [&](uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto name = [&](const std::string& text) {
        put16(1);
        put32(static_cast<uint32_t>(text.size()));
        out += text;
    };
    auto ints = [&](std::vector<uint32_t> values) {
        put16(6);
        put32(static_cast<uint32_t>(values.size()));
        for (uint32_t v : values) put32(v);
    };
    auto floats = [&](std::vector<float> values) {
        put16(7);
        put32(static_cast<uint32_t>(values.size()));
        for (float v : values) out.append(reinterpret_cast<const char*>(&v), 4);
    };
    auto string = [&](const std::string& text) {
        put16(2);
        put32(static_cast<uint32_t>(text.size()));
        out += text;
        put16(20);  // the string's closing semicolon
    };
    name("Mesh");
    put16(10);
    ints({4});
    floats({-1, -2, -3, 4, -2, -3, 4, 5, 6, -1, 5, 6});
    ints({2, 3, 0, 1, 2, 3, 0, 2, 3});
    name("MeshMaterialList");
    put16(10);
    ints({1, 2, 0, 0});
    name("Material");
    put16(10);
    floats({0.25f, 0.5f, 0.75f, 1.0f, 3.0f, 0, 0, 0, 0, 0, 0});
    name("TextureFilename");
    put16(10);
    string("red.bmp");
    put16(11);
    put16(11);
    put16(11);
    put16(11);
    return out;
}

class MeshResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device";
        resetWorld();
        world.device = gl.device.get();
        mesh_test::writeBmp("red.bmp", 0xFF0000);
        mesh_test::writeBmp("blue.bmp", 0x0000FF);
        // Unlit by the light, fully lit by the ambient level: every pixel
        // shows material ambient x texture exactly.
        device().setRenderState(RenderState::CullMode, platform::kCullNone);
        device().setRenderState(RenderState::Ambient, 0xFFFFFFFF);
        device().lightEnable(0, false);
        device().setTransform(TransformType::View,
                              matrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}));
        device().setTransform(TransformType::Projection,
                              matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f));
        device().setTransform(TransformType::World, matrixIdentity());
    }
    void TearDown() override {
        delete world.materialBuffer;
        resetWorld();
    }

    platform::GraphicsDevice& device() { return *gl.device; }

    std::vector<uint32_t> drawn(MeshResource& resource) {
        device().clear(platform::kClearTarget | platform::kClearZBuffer, kBackground, 1.0f, 0);
        resource.draw();
        return device().readPixels();
    }
    static Rgb at(const std::vector<uint32_t>& frame, int x, int y) {
        return rgbOf(frame[static_cast<size_t>(y) * kSize + x]);
    }
    static void expectRgb(const Rgb& actual, int r, int g, int b) {
        EXPECT_EQ(actual.r, r);
        EXPECT_EQ(actual.g, g);
        EXPECT_EQ(actual.b, b);
    }

    TempWorkingFolder folder;
    GLTestWindow gl{kSize, kSize};
    MessageRecorder messages;
};

TEST_F(MeshResourceTest, ThreeMaterialsDrawInTurnWithTheMiddleOneUntextured) {
    mesh_test::writeFile("strip.x", threeMaterialFile("red.bmp", "blue.bmp"));
    MeshResource resource(&device());
    resource.load("strip.x");
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_NE(resource.mesh, nullptr);
    ASSERT_EQ(resource.materialCount, 3u);
    ASSERT_EQ(resource.textures.size(), 3u);
    EXPECT_NE(resource.textures[0], nullptr);
    EXPECT_EQ(resource.textures[1], nullptr);
    EXPECT_NE(resource.textures[2], nullptr);

    // Ambient follows diffuse in all four parts; the rest is the file's.
    for (const platform::Material& material : resource.materials)
        EXPECT_EQ(material.ambient, material.diffuse);
    EXPECT_EQ(resource.materials[1].diffuse, (platform::ColorValue{0, 1, 0, 0.5f}));
    EXPECT_EQ(resource.materials[0].specular.b, 0.3f);
    EXPECT_EQ(resource.materials[2].power, 9.0f);

    // Were the middle subset drawn with the first texture still bound, it
    // would show green x red: black.
    const auto frame = drawn(resource);
    expectRgb(at(frame, 50, 120), 255, 0, 0);
    expectRgb(at(frame, 120, 120), 0, 255, 0);
    expectRgb(at(frame, 190, 120), 0, 0, 255);
    expectRgb(at(frame, 120, 20), 0, 0, 0);
    // The device keeps the last subset's material and texture.
    EXPECT_EQ(device().texture(0), resource.textures[2]);
    EXPECT_EQ(device().material().diffuse, resource.materials[2].diffuse);
    resource.release();
}

TEST_F(MeshResourceTest, EmptyTextureNameLoadsNothingAndSaysNothing) {
    mesh_test::writeFile("strip.x", threeMaterialFile("", "blue.bmp"));
    MeshResource resource(&device());
    resource.load("strip.x");
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_EQ(resource.materialCount, 3u);
    EXPECT_EQ(resource.textures[0], nullptr);
    EXPECT_NE(resource.textures[2], nullptr);
    resource.release();
}

TEST_F(MeshResourceTest, MissingTexturesAreToldOncePerMaterialAndDrawUntextured) {
    mesh_test::writeFile("strip.x", threeMaterialFile("nothere.bmp", "gone.png"));
    MeshResource resource(&device());
    resource.load("strip.x");
    ASSERT_EQ(messages.boxes.size(), 2u);
    for (const auto& box : messages.boxes) {
        EXPECT_EQ(box.caption, "שגיאה");
        EXPECT_EQ(box.text, kTextureError);
        EXPECT_EQ(box.owner, nullptr);
    }
    ASSERT_NE(resource.mesh, nullptr);
    EXPECT_EQ(resource.textures, (std::vector<platform::Texture*>{nullptr, nullptr, nullptr}));
    const auto frame = drawn(resource);
    expectRgb(at(frame, 50, 120), 255, 255, 255);  // the white material, untextured
    expectRgb(at(frame, 120, 120), 0, 255, 0);
    resource.release();
}

TEST_F(MeshResourceTest, MissingOrBrokenModelsAreToldOnceAndLeaveNothingToDraw) {
    mesh_test::writeFile("garbage.x", "this is not a mesh at all\n");
    mesh_test::writeFile("truncated.x", "xof 0303txt 0032\nMesh {\n 3;\n 0.000000;0.0");
    mesh_test::writeFile("empty.x", "");
    mesh_test::writeFile("other.x", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    std::filesystem::create_directory("folder.x");
    // An earlier load's records must not outlive a failed one.
    mesh_test::writeFile("strip.x", threeMaterialFile("red.bmp", "blue.bmp"));
    for (const char* name :
         {"missing.x", "garbage.x", "truncated.x", "empty.x", "other.x", "folder.x"}) {
        SCOPED_TRACE(name);
        MeshResource earlier(&device());
        earlier.load("strip.x");
        ASSERT_NE(world.materialBuffer, nullptr);
        messages.boxes.clear();

        MeshResource resource(&device());
        resource.load(name);
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.boxes[0].caption, "שגיאה");
        EXPECT_EQ(messages.boxes[0].text, kModelError);
        EXPECT_EQ(resource.mesh, nullptr);
        EXPECT_EQ(resource.materialCount, 0u);
        EXPECT_TRUE(resource.materials.empty());
        EXPECT_TRUE(resource.textures.empty());
        EXPECT_EQ(resource.fileName, name);
        EXPECT_EQ(world.materialBuffer, nullptr);

        const auto frame = drawn(resource);
        for (uint32_t pixel : frame) ASSERT_EQ(pixel & 0xFFFFFF, kBackground & 0xFFFFFF);
        resource.release();
        EXPECT_EQ(resource.fileName, nullptr);
        EXPECT_EQ(resource.device, &device());
        earlier.release();
    }
}

TEST_F(MeshResourceTest, PositionsKeepTheFilesCoordinatesWithItsFramesApplied) {
    mesh_test::writeFile("nested.x", kNestedFrames);
    MeshResource resource(&device());
    resource.load("nested.x");
    ASSERT_NE(resource.mesh, nullptr);
    SceneObject object(&resource);
    ASSERT_TRUE(object.computeLocalBox());
    // (p + (5, 0, 0)) x 2, z not turned round.
    EXPECT_EQ(object.minBounds, (Vec3{10, 0, 0}));
    EXPECT_EQ(object.maxBounds, (Vec3{12, 4, 6}));
    resource.release();
}

TEST_F(MeshResourceTest, TexturesKeepTheirRowsAndFacesTheirWinding) {
    // Left quad wound clockwise as seen from the camera, right quad the
    // other way; the texture is yellow above cyan.
    mesh_test::writeBmp("halves.bmp", 0xFFFF00, 0x00FFFF);
    mesh_test::writeFile("halves.x", R"(xof 0303txt 0032
Mesh Pair {
  8;
  -1.800000;-0.600000;0.000000;, -1.800000;0.600000;0.000000;,
  -0.600000;0.600000;0.000000;, -0.600000;-0.600000;0.000000;,
  0.600000;-0.600000;0.000000;, 0.600000;0.600000;0.000000;,
  1.800000;0.600000;0.000000;, 1.800000;-0.600000;0.000000;;
  4;
  3;0,1,2;, 3;0,2,3;, 3;4,6,5;, 3;4,7,6;;
  MeshTextureCoords {
    8;
    0.000000;1.000000;, 0.000000;0.000000;, 1.000000;0.000000;, 1.000000;1.000000;,
    0.000000;1.000000;, 0.000000;0.000000;, 1.000000;0.000000;, 1.000000;1.000000;;
  }
  MeshMaterialList { 1; 4; 0, 0, 0, 0;;
    Material { 1.000000;1.000000;1.000000;1.000000;; 0.000000;
      0.000000;0.000000;0.000000;; 0.000000;0.000000;0.000000;;
      TextureFilename { "halves.bmp"; } } }
}
)");
    MeshResource resource(&device());
    resource.load("halves.x");
    ASSERT_NE(resource.mesh, nullptr);
    // Faces wound anticlockwise on screen are the ones culled by default.
    device().setRenderState(RenderState::CullMode, platform::kCullCounterClockwise);
    const auto frame = drawn(resource);
    mesh_test::saveScreenshot(frame, kSize, kSize, "mesh-winding-and-rows");
    expectRgb(at(frame, 50, 100), 255, 255, 0);  // upper half of the left quad
    expectRgb(at(frame, 50, 140), 0, 255, 255);  // lower half
    expectRgb(at(frame, 190, 100), 0, 0, 0);     // the right quad faces away
    resource.release();
}

TEST_F(MeshResourceTest, BinaryFilesLoadLikeTextOnes) {
    mesh_test::writeFile("binary.x", binaryQuadFile());
    MeshResource resource(&device());
    resource.load("binary.x");
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_NE(resource.mesh, nullptr);
    ASSERT_EQ(resource.materialCount, 1u);
    EXPECT_NE(resource.textures[0], nullptr);
    EXPECT_EQ(resource.materials[0].diffuse, (platform::ColorValue{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(resource.materials[0].ambient, resource.materials[0].diffuse);
    SceneObject object(&resource);
    ASSERT_TRUE(object.computeLocalBox());
    EXPECT_EQ(object.minBounds, (Vec3{-1, -2, -3}));
    EXPECT_EQ(object.maxBounds, (Vec3{4, 5, 6}));
    resource.release();
}

TEST_F(MeshResourceTest, AFileWithoutMaterialsLoadsButDrawsNothing) {
    mesh_test::writeFile("bare.x", kNoMaterials);
    MeshResource resource(&device());
    resource.load("bare.x");
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_NE(resource.mesh, nullptr);
    EXPECT_EQ(resource.materialCount, 0u);
    ASSERT_NE(world.materialBuffer, nullptr);
    EXPECT_TRUE(world.materialBuffer->records.empty());
    SceneObject object(&resource);
    EXPECT_TRUE(object.computeLocalBox());
    EXPECT_EQ(object.maxBounds, (Vec3{1, 1, 0}));
    for (uint32_t pixel : drawn(resource)) ASSERT_EQ(pixel & 0xFFFFFF, 0u);
    resource.release();
}

TEST_F(MeshResourceTest, UnusedMaterialsCountAndTextureNamesAreTakenAsGiven) {
    // Only materials 0 and 2 are used; names with backslashes, and names that
    // look like those of bump or normal maps, still name the texture.
    std::filesystem::create_directory("sub");
    mesh_test::writeBmp("sub/red.bmp", 0xFF0000);
    mesh_test::writeBmp("rock_bump_nm.bmp", 0x0000FF);
    std::string text = threeMaterialFile("sub\\\\red.bmp", "rock_bump_nm.bmp");
    const std::string used = "0, 0, 1, 1, 2, 2;;";
    text.replace(text.find(used), used.size(), "0, 0, 2, 2, 2, 2;;");
    mesh_test::writeFile("unused.x", text);
    MeshResource resource(&device());
    resource.load("unused.x");
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_EQ(resource.materialCount, 3u);
    ASSERT_NE(world.materialBuffer, nullptr);
    ASSERT_EQ(world.materialBuffer->records.size(), 3u);
    EXPECT_EQ(world.materialBuffer->records[0].textureFileName, "sub/red.bmp");
    EXPECT_EQ(world.materialBuffer->records[1].textureFileName, "");
    EXPECT_EQ(world.materialBuffer->records[2].textureFileName, "rock_bump_nm.bmp");
    // The records are the file's own: its ambient (none) is not replaced there.
    EXPECT_EQ(world.materialBuffer->records[1].material.ambient, (platform::ColorValue{}));
    const auto frame = drawn(resource);
    expectRgb(at(frame, 50, 120), 255, 0, 0);
    expectRgb(at(frame, 120, 120), 0, 0, 255);
    expectRgb(at(frame, 190, 120), 0, 0, 255);
    resource.release();
}

TEST_F(MeshResourceTest, TheMaterialBufferHoldsTheMostRecentLoad) {
    mesh_test::writeFile("strip.x", threeMaterialFile("red.bmp", "blue.bmp"));
    mesh_test::writeFile("nested.x", kNestedFrames);
    MeshResource first(&device()), second(&device());
    first.load("strip.x");
    ASSERT_NE(world.materialBuffer, nullptr);
    EXPECT_EQ(world.materialBuffer->records.size(), 3u);
    second.load("nested.x");
    ASSERT_NE(world.materialBuffer, nullptr);
    EXPECT_EQ(world.materialBuffer->records.size(), 1u);
    // The first resource keeps its own copies.
    EXPECT_EQ(first.materialCount, 3u);
    EXPECT_NE(first.textures[2], nullptr);
    first.release();
    second.release();
}

TEST_F(MeshResourceTest, ReleaseGivesBackEverythingOnce) {
    mesh_test::writeFile("strip.x", threeMaterialFile("red.bmp", "blue.bmp"));
    MeshResource resource(&device());
    resource.load("strip.x");
    ASSERT_NE(resource.mesh, nullptr);
    resource.release();
    EXPECT_EQ(resource.fileName, nullptr);
    EXPECT_EQ(resource.mesh, nullptr);
    EXPECT_TRUE(resource.textures.empty());
    // A released resource draws nothing, and releasing again is harmless.
    for (uint32_t pixel : drawn(resource)) ASSERT_EQ(pixel & 0xFFFFFF, 0u);
    resource.release();
}

}  // namespace
