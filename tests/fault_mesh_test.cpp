// Mesh files whose counts claim more than the file holds are refused before
// the importer sizes anything by them, in every form of the format; whole
// files read alike in every form.

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
// many faces, made the importer take gigabytes and seconds before it gave up.
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

// The importer reads vertices and normals at the indices a face gives
// without checking them: a face index far beyond the vertices crashed the
// game, and normal faces shorter than their faces were read past their end.
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

TEST(FaultMesh, EveryShippedMeshReadsAlikeInEveryForm) {
    TempWorkingFolder folder;
    for (const char* mesh : {"rock.x", "bigship.x", "SkyDome.x", "BombS.x", "Rocket.x"}) {
        const std::string text = fault::readFile(std::string(VORLUNE_DIST_DIR) + "/" + mesh);
        const std::optional<platform::XMeshFile> expected = readBytes(text);
        ASSERT_TRUE(expected) << mesh;
        const std::string binary = x_binary::binaryBody(text);
        const std::string forms[] = {
            "xof 0303bin 0032" + binary,
            "xof 0303bzip0032" + x_binary::compressedBody(binary),
            "xof 0303tzip0032" + x_binary::compressedBody(text.substr(16)),
        };
        for (const std::string& form : forms) {
            const std::optional<platform::XMeshFile> read = readBytes(form);
            ASSERT_TRUE(read) << mesh << " as " << form.substr(8, 4);
            EXPECT_EQ(read->mesh.indices, expected->mesh.indices) << mesh;
            ASSERT_EQ(read->mesh.vertices.size(), expected->mesh.vertices.size()) << mesh;
            // The same numbers, up to the last bit of a text conversion.
            for (size_t v = 0; v < read->mesh.vertices.size(); ++v) {
                const platform::MeshVertex& a = read->mesh.vertices[v];
                const platform::MeshVertex& b = expected->mesh.vertices[v];
                ASSERT_NEAR(a.position.x, b.position.x, 1e-4f) << mesh << " vertex " << v;
                ASSERT_NEAR(a.position.y, b.position.y, 1e-4f) << mesh << " vertex " << v;
                ASSERT_NEAR(a.position.z, b.position.z, 1e-4f) << mesh << " vertex " << v;
                ASSERT_NEAR(a.normal.z, b.normal.z, 1e-4f) << mesh << " vertex " << v;
                ASSERT_NEAR(a.v, b.v, 1e-4f) << mesh << " vertex " << v;
            }
            ASSERT_EQ(read->materials.size(), expected->materials.size()) << mesh;
            for (size_t m = 0; m < read->materials.size(); ++m) {
                EXPECT_EQ(read->materials[m].textureFileName,
                          expected->materials[m].textureFileName);
                EXPECT_EQ(read->materials[m].material.power, expected->materials[m].material.power);
            }
        }
    }
}

}  // namespace

// The importer's own triangulation aborted the game on a face with no
// corners (a fuzz finding). Polygons are fanned around their first corner;
// faces of fewer than three corners draw nothing.
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

// The importer builds a mesh's parts from its material list without
// checking it: faces naming a material the list does not give, a list
// indexing faces of a mesh that has none, and a second list on one mesh
// each crashed the game, as did a list whose materials the importer skips.
// In every form of the format they are refused; a list that gives its
// materials, by name or in place, still reads.
TEST(FaultMesh, MaterialListsTheImporterCannotBuildFromAreRefused) {
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
          triangle + "MeshMaterialList {\n1;\n2;\n0;;\n" + material + "}\n}\n"}) {
        for (const std::string& bytes : forms(broken)) EXPECT_FALSE(readBytes(bytes)) << broken;
    }
    for (const std::string& sound :
         {triangle + list + "}\n",
          material + triangle + "MeshMaterialList {\n1;\n1;\n0;;\n{ Red }\n}\n}\n"}) {
        for (const std::string& bytes : forms(sound)) EXPECT_TRUE(readBytes(bytes)) << sound;
    }
    // In text a stray comma after the face indices makes the importer skip
    // the material that follows as an object it does not know.
    const std::string hidden = triangle + "MeshMaterialList {\n1;\n1;\n0;,\n" + material + "}\n}\n";
    EXPECT_FALSE(readBytes("xof 0303txt 0032\n" + hidden));
    EXPECT_FALSE(readBytes("xof 0303tzip0032" + x_binary::compressedBody(hidden)));
}

// The importer copies a frame's name into a field of 1024 bytes without
// looking at its length (a fuzz finding): longer names are refused.
TEST(FaultMesh, NamesTooLongForTheImporterAreRefused) {
    TempWorkingFolder folder;
    const auto withFrameName = [](size_t length) {
        return "Frame " + std::string(length, 'F') +
               " {\nMesh {\n3;\n0;0;0;,\n1;0;0;,\n0;1;0;;\n1;\n3;0,1,2;;\n}\n}\n";
    };
    for (const size_t length : {1000u, 1100u}) {
        const std::string body = withFrameName(length);
        const bool fits = length < 1024;
        EXPECT_EQ(readBytes("xof 0303txt 0032\n" + body).has_value(), fits) << length;
        EXPECT_EQ(readBytes("xof 0303bin 0032" + x_binary::binaryBody("xof 0303txt 0032\n" + body))
                      .has_value(),
                  fits)
            << length;
    }
}
