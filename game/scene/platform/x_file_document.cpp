#include "scene/platform/x_file_document.h"

#include <string_view>

namespace platform {

namespace {

// Nesting deeper than this is no mesh of ours, and must not cost a stack.
constexpr int kDeepestNesting = 64;

class Parser {
public:
    Parser(const XFileBody& body, XFileDocument& document) : tokens_(body), document_(document) {}

    bool file() {
        for (;;) {
            const XToken token = next();
            if (token.kind == XTokenKind::End) return true;
            if (token.kind == XTokenKind::Open) {
                if (!skipRest()) return false;
                continue;
            }
            if (token.kind != XTokenKind::Name) return false;
            std::string_view name;
            if (!header(token, name)) return false;
            if (!object(token.text, name, -1, nullptr)) return false;
        }
    }

private:
    XToken next() { return tokens_.next(); }

    // After a type: an optional name, then the brace. A template's body
    // describes data and holds none.
    bool header(const XToken& type, std::string_view& name) {
        XToken token = next();
        if (token.kind == XTokenKind::Name) {
            name = token.text;
            token = next();
        }
        return token.kind == XTokenKind::Open && (type.text != "template" || skipRest());
    }

    // Past the brace that closes the one just read.
    bool skipRest() {
        for (int depth = 1; depth > 0;) {
            const XToken token = next();
            if (token.kind == XTokenKind::End || token.kind == XTokenKind::Broken) return false;
            if (token.kind == XTokenKind::Open && ++depth > kDeepestNesting) return false;
            if (token.kind == XTokenKind::Close) --depth;
        }
        return true;
    }

    // An object whose header was just read, within frame `frame` and mesh
    // `mesh` (when there are ones around it).
    bool object(std::string_view type, std::string_view name, int frame, XFileMeshObject* mesh) {
        if (type == "template") return true;
        if (type == "Frame") return this->frame(frame);
        if (type == "Mesh") return this->mesh(frame);
        if (type == "Material" && mesh == nullptr && frame == -1) {
            XFileMaterial material;
            if (!this->material(material)) return false;
            if (!name.empty())
                document_.declaredByName[std::string(name)] = document_.declaredMaterials.size();
            document_.declaredMaterials.push_back(material);
            return true;
        }
        if (mesh != nullptr) {
            if (type == "MeshNormals") return normals(*mesh);
            if (type == "MeshTextureCoords") return textureCoords(*mesh);
            if (type == "MeshMaterialList") return materialList(*mesh);
        }
        if (type == "FrameTransformMatrix" && frame != -1 && mesh == nullptr)
            return matrix(document_.frames[frame].local);
        return skipRest();
    }

    // The objects inside one, up to its closing brace; a reference `{ name }`
    // is passed over.
    // Objects within objects are read by calls within calls: their nesting
    // is bounded here.
    template <typename Child>
    bool children(Child&& child) {
        if (++depth_ > kDeepestNesting) return false;
        bool read = true;
        for (;;) {
            const XToken token = next();
            if (token.kind == XTokenKind::Close) break;
            if (token.kind == XTokenKind::Open) {
                if (!(read = skipRest())) break;
                continue;
            }
            std::string_view name;
            read = token.kind == XTokenKind::Name && header(token, name) && child(token.text, name);
            if (!read) break;
        }
        --depth_;
        return read;
    }

    bool frame(int parent) {
        const int index = static_cast<int>(document_.frames.size());
        document_.frames.push_back({kXFileIdentity, parent});
        return children([&](std::string_view type, std::string_view name) {
            return object(type, name, index, nullptr);
        });
    }

    bool count(uint32_t& value, size_t numbersEach) {
        const XToken token = next();
        if (token.kind != XTokenKind::Integer) return false;
        value = token.integer;
        return static_cast<uint64_t>(value) * numbersEach <= tokens_.mostNumbersLeft();
    }
    bool real(float& value) {
        const XToken token = next();
        value = token.real;
        return token.kind == XTokenKind::Float || token.kind == XTokenKind::Integer;
    }
    bool vectors(std::vector<Vec3>& out) {
        uint32_t n = 0;
        if (!count(n, 3)) return false;
        out.resize(n);
        for (Vec3& v : out)
            if (!real(v.x) || !real(v.y) || !real(v.z)) return false;
        return true;
    }
    // Faces of a count each and that many indices below `limit`.
    bool faces(std::vector<uint32_t>& sizes, std::vector<uint32_t>& corners, size_t limit) {
        uint32_t n = 0;
        if (!count(n, 1)) return false;
        sizes.resize(n);
        for (uint32_t& size : sizes) {
            if (!count(size, 1)) return false;
            for (uint32_t k = 0; k < size; ++k) {
                uint32_t index = 0;
                if (!count(index, 0) || index >= limit) return false;
                corners.push_back(index);
            }
        }
        return true;
    }
    bool matrix(XFileMatrix& out) {
        for (float& value : out)
            if (!real(value)) return false;
        return next().kind == XTokenKind::Close;
    }

    bool mesh(int frame) {
        XFileMeshObject mesh;
        mesh.frame = frame;
        if (!vectors(mesh.positions) || !faces(mesh.faceSizes, mesh.corners, mesh.positions.size()))
            return false;
        const bool read = children([&](std::string_view type, std::string_view name) {
            return object(type, name, frame, &mesh);
        });
        if (!read) return false;
        document_.meshes.push_back(std::move(mesh));
        return true;
    }

    // One normal for every corner of every face, face for face.
    bool normals(XFileMeshObject& mesh) {
        if (mesh.hasNormals) return false;
        mesh.hasNormals = true;
        std::vector<uint32_t> sizes;
        return vectors(mesh.normals) && faces(sizes, mesh.normalCorners, mesh.normals.size()) &&
               sizes == mesh.faceSizes && next().kind == XTokenKind::Close;
    }

    bool textureCoords(XFileMeshObject& mesh) {
        uint32_t n = 0;
        if (mesh.hasTextureCoords || !count(n, 2) || n != mesh.positions.size()) return false;
        mesh.hasTextureCoords = true;
        mesh.textureCoords.resize(n);
        for (auto& uv : mesh.textureCoords)
            if (!real(uv[0]) || !real(uv[1])) return false;
        return next().kind == XTokenKind::Close;
    }

    // A material for every face, or one for them all; every one of them
    // listed, in place or by name.
    bool materialList(XFileMeshObject& mesh) {
        uint32_t materials = 0, faces = 0;
        if (mesh.hasMaterialList || !count(materials, 0) || !count(faces, 1)) return false;
        const size_t meshFaces = mesh.faceSizes.size();
        if (faces != meshFaces && !(faces == 1 && meshFaces > 0)) return false;
        mesh.hasMaterialList = true;
        mesh.faceMaterials.resize(faces);
        for (uint32_t& index : mesh.faceMaterials)
            if (!count(index, 0) || index >= materials) return false;
        mesh.faceMaterials.resize(meshFaces, faces > 0 ? mesh.faceMaterials[0] : 0);
        for (;;) {
            XToken token = next();
            if (token.kind == XTokenKind::Close) break;
            if (token.kind == XTokenKind::Open) {
                token = next();
                if (token.kind != XTokenKind::Name || next().kind != XTokenKind::Close)
                    return false;
                mesh.materials.push_back({{}, std::string(token.text)});
                continue;
            }
            std::string_view name;
            if (token.kind != XTokenKind::Name || !header(token, name)) return false;
            if (token.text != "Material") {
                if (!skipRest()) return false;
                continue;
            }
            mesh.materials.emplace_back();
            if (!material(mesh.materials.back().material)) return false;
        }
        return mesh.materials.size() == materials;
    }

    bool color(ColorValue& out, bool alpha) {
        out.a = 0;
        return real(out.r) && real(out.g) && real(out.b) && (!alpha || real(out.a));
    }

    bool material(XFileMaterial& out) {
        Material& m = out.material;
        if (!color(m.diffuse, true) || !real(m.power) || !color(m.specular, false) ||
            !color(m.emissive, false))
            return false;
        m.specular.a = m.emissive.a = 1;
        bool named = false;
        return children([&](std::string_view type, std::string_view) {
            if (type != "TextureFilename" && type != "TextureFileName") return skipRest();
            const XToken text = next();
            if (text.kind != XTokenKind::String || next().kind != XTokenKind::Close) return false;
            if (!named) out.textureFileName = textureName(text.text);
            named = true;
            return true;
        });
    }

    // Separators turned into '/', a doubled one (as some writers put it) into one.
    static std::string textureName(std::string_view text) {
        std::string name;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\\') {
                name += text[i];
                continue;
            }
            if (i + 1 < text.size() && text[i + 1] == '\\') ++i;
            name += '/';
        }
        return name;
    }

    XTokens tokens_;
    XFileDocument& document_;
    int depth_ = 0;
};

}  // namespace

bool readXFileDocument(const XFileBody& body, XFileDocument& document) {
    return Parser(body, document).file();
}

}  // namespace platform
