// Mesh files whose counts claim more than the file holds are refused before
// anything is sized by them, in every form of the format, and so are files
// whose faces or material lists name what is not there.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fault_support.h"
#include "fuzz/x_binary.h"
#include "scene/platform/x_mesh_file.h"
#include "temp_folder.h"

namespace {

constexpr long kMemoryAllowanceKb = 16 * 1024;

// Binary tokens, for files no writer of ours would make.
std::string word(uint16_t value) { return std::string(reinterpret_cast<const char*>(&value), 2); }
std::string dword(uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }
std::string name(const std::string& text) { return word(1) + dword(text.size()) + text; }
std::string integers(std::initializer_list<uint32_t> values) {
    std::string out = word(6) + dword(values.size());
    for (uint32_t v : values) out += dword(v);
    return out;
}
std::string floats(std::initializer_list<float> values) {
    std::string out = word(7) + dword(values.size());
    for (float v : values) out.append(reinterpret_cast<const char*>(&v), 4);
    return out;
}
const std::string kOpen = word(10), kClose = word(11);

std::optional<platform::XMeshFile> readBytes(const std::string& bytes) {
    fault::writeFile("claim.x", bytes);
    return platform::readXMeshFile("claim.x");
}

// A file of a few dozen bytes claiming a hundred million vertices, or as
// many faces, once took gigabytes and seconds before it was found broken.
TEST(FaultMesh, CountsBeyondTheFileAreRefusedBeforeAnythingIsSizedByThem) {
    TempWorkingFolder folder;
    const fault::PeakMemory memory;
    ASSERT_TRUE(memory.available());
    for (uint32_t count : {100000000u, 4000000000u, 7u}) {
        const std::string n = std::to_string(count);
        const std::string manyVertices = "Mesh {\n" + n + ";\n0;0;0;;\n}\n";
        const std::string manyFaces = "Mesh {\n1;\n0;0;0;;\n" + n + ";\n3;0,0,0;;\n}\n";
        const std::string binaryVertices =
            name("Mesh") + kOpen + integers({count}) + floats({0, 0, 0}) + kClose;
        const std::string binaryFaces = name("Mesh") + kOpen + integers({1}) + floats({0, 0, 0}) +
                                        integers({count, 3, 0, 0, 0}) + kClose;
        EXPECT_FALSE(readBytes("xof 0303txt 0032\n" + manyVertices)) << count;
        EXPECT_FALSE(readBytes("xof 0303txt 0032\n" + manyFaces)) << count;
        EXPECT_FALSE(readBytes("xof 0303bin 0032" + binaryVertices)) << count;
        EXPECT_FALSE(readBytes("xof 0303bin 0032" + binaryFaces)) << count;
        EXPECT_FALSE(readBytes("xof 0303tzip0032" + x_binary::compressedBody(manyFaces))) << count;
        EXPECT_FALSE(readBytes("xof 0303bzip0032" + x_binary::compressedBody(binaryFaces)))
            << count;
    }
    // Normals and skin weights size their arrays the same way.
    EXPECT_FALSE(
        readBytes("xof 0303txt 0032\nMesh {\n1;\n0;0;0;;\n1;\n3;0,0,0;;\n"
                  "MeshNormals {\n100000000;\n0;0;1;;\n1;\n3;0,0,0;;\n}\n}\n"));
    EXPECT_LT(memory.riseKb(), kMemoryAllowanceKb);
}

// The binary reader used to take any four bytes for a count: a brace where
// the vertex count belongs, followed by a large number, sized the vertices.
TEST(FaultMesh, ABinaryCountThatIsNotANumberIsRefused) {
    TempWorkingFolder folder;
    const fault::PeakMemory memory;
    ASSERT_TRUE(memory.available());
    EXPECT_FALSE(readBytes("xof 0303bin 0032" + name("Mesh") + kOpen + kOpen + dword(100000000) +
                           kClose + kClose));
    // A float where the count belongs.
    EXPECT_FALSE(
        readBytes("xof 0303bin 0032" + name("Mesh") + kOpen + floats({1e8f, 0, 0, 0}) + kClose));
    EXPECT_LT(memory.riseKb(), kMemoryAllowanceKb);
}

// A face index far beyond the vertices once crashed the game, and normal
// faces shorter than their faces were read past their end.
TEST(FaultMesh, FacesMustNameExistingVerticesAndNormals) {
    TempWorkingFolder folder;
    const std::string text = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/bigship.x");
    const size_t normals = text.find("MeshNormals");
    const size_t lastFace = text.rfind("3;", normals);
    ASSERT_NE(lastFace, std::string::npos);
    std::string farIndex = text;
    farIndex.replace(lastFace, text.find(',', lastFace) - lastFace, "3;50331648");
    EXPECT_FALSE(readBytes(farIndex));
    EXPECT_FALSE(readBytes("xof 0303bin 0032" + x_binary::binaryBody(farIndex)));

    const std::string shortNormals =
        "xof 0303txt 0032\nMesh {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n1;\n3;0,1,2;;\n"
        "MeshNormals {\n1;\n0;0;1;;\n1;\n1;0;;\n}\n"
        "MeshMaterialList {\n1;\n1;\n0;;\nMaterial {\n1;1;1;1;;\n0;\n0;0;0;;\n0;0;0;;\n}\n}\n}\n";
    EXPECT_FALSE(readBytes(shortNormals));
    std::string whole = shortNormals;
    whole.replace(whole.find("1;0;;\n}"), 5, "3;0,0,0;;");
    EXPECT_TRUE(readBytes(whole)) << "the same file with whole normal faces reads";
}

// Inputs the fuzzer found, kept as they were found.
TEST(FaultMesh, FuzzFindingsAreRefusedOrReadSafely) {
    TempWorkingFolder folder;
    const std::filesystem::path findings =
        std::filesystem::path(__FILE__).parent_path() / "fuzz" / "regressions";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(findings)) {
        ++files;
        const fault::PeakMemory memory;
        const std::optional<platform::XMeshFile> read = readBytes(fault::readFile(entry.path()));
        EXPECT_LT(memory.riseKb(), 64 * 1024) << entry.path();
        if (!read) continue;
        for (uint32_t index : read->mesh.indices)
            ASSERT_LT(index, read->mesh.vertices.size()) << entry.path();
    }
    EXPECT_GT(files, 0);
}

}  // namespace

// A face with no corners once aborted the game (a fuzz finding). Polygons
// are fanned around their first corner; faces of fewer than three corners
// draw nothing.
TEST(FaultMesh, PolygonsAreFannedAndFacesWithoutCornersDrawNothing) {
    TempWorkingFolder folder;
    const std::optional<platform::XMeshFile> read = readBytes(
        "xof 0303txt 0032\nMesh {\n5;\n0;0;0;,\n1;0;0;,\n2;1;0;,\n1;2;0;,\n0;1;0;;\n"
        "4;\n5;0,1,2,3,4;,\n0;;\n2;0,1;,\n3;4,2,0;;\n"
        "MeshMaterialList {\n1;\n4;\n0,0,0,0;;\nMaterial "
        "{\n1;1;1;1;;\n0;\n0;0;0;;\n0;0;0;;\n}\n}\n}\n");
    ASSERT_TRUE(read);
    std::vector<float> corners;  // x and y of each drawn corner, in order
    for (uint32_t index : read->mesh.indices) {
        ASSERT_LT(index, read->mesh.vertices.size());
        corners.push_back(read->mesh.vertices[index].position.x);
        corners.push_back(read->mesh.vertices[index].position.y);
    }
    EXPECT_EQ(corners, (std::vector<float>{0, 0, 1, 0, 2, 1, 0, 0, 2, 1, 1, 2,
                                           0, 0, 1, 2, 0, 1, 0, 1, 2, 1, 0, 0}));
}

// Faces naming a material the list does not give, a list for faces a mesh
// does not have, a second list on one mesh, and a material named but never
// declared each once crashed the game or drew from nothing. In every form of
// the format they are refused; a list that gives its materials, in place or
// by name, still reads.
TEST(FaultMesh, MaterialListsThatDoNotAddUpAreRefused) {
    TempWorkingFolder folder;
    const std::string triangle = "Mesh {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n1;\n3;0,1,2;;\n";
    const std::string material = "Material Red {\n1;0;0;1;;\n0;\n0;0;0;;\n0;0;0;;\n}\n";
    const std::string list = "MeshMaterialList {\n1;\n1;\n0;;\n" + material + "}\n";
    const auto forms = [](const std::string& body) {
        return std::vector<std::string>{
            "xof 0303txt 0032\n" + body,
            "xof 0303bin 0032" + x_binary::binaryBody("xof 0303txt 0032\n" + body),
            "xof 0303tzip0032" + x_binary::compressedBody(body)};
    };
    for (const std::string& broken :
         {triangle + "MeshMaterialList {\n1;\n1;\n0;;\n}\n}\n",
          triangle + "MeshMaterialList {\n1;\n1;\n0;;\nUnknown Red {\n1;\n}\n}\n}\n",
          "Mesh {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n0;\n" + list + "}\n",
          triangle + list + list + "}\n",
          triangle + "MeshMaterialList {\n1;\n2;\n0;;\n" + material + "}\n}\n",
          triangle + "MeshMaterialList {\n1;\n1;\n0;;\n{ Blue }\n}\n}\n"}) {
        for (const std::string& bytes : forms(broken)) EXPECT_FALSE(readBytes(bytes)) << broken;
    }
    for (const std::string& sound :
         {triangle + list + "}\n",
          material + triangle + "MeshMaterialList {\n1;\n1;\n0;;\n{ Red }\n}\n}\n"}) {
        for (const std::string& bytes : forms(sound)) EXPECT_TRUE(readBytes(bytes)) << sound;
    }
}
