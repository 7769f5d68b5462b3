#include "scene/platform/x_file_text.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace platform {

namespace {

constexpr size_t kHeaderSize = 16;
// Each block of a compressed file unpacks to at most this many bytes.
constexpr size_t kCompressedBlock = 32786;
constexpr uint16_t kCompressedBlockMagic = 0x4B43;  // "CK"

template <typename T>
bool take(std::string_view& data, T& value) {
    if (data.size() < sizeof value) return false;
    std::memcpy(&value, data.data(), sizeof value);
    data.remove_prefix(sizeof value);
    return true;
}

// What a mesh's normals must agree with: the importer takes each face's
// normal indices by the position indices' count, and reads vertices and
// normals at the indices given, without checking either.
struct MeshShape {
    uint32_t vertices = 0;
    std::vector<uint32_t> faceSizes;
};

// ---- Text files: the counts that size the importer's arrays ----

// The file reduced to what the check needs: every number in order, as the
// importer reads it as a count, and the names and braces between them.
struct Scan {
    enum class Kind { Name, OpenBrace, CloseBrace, Other };
    struct Mark {
        Kind kind;
        std::string_view name;
        size_t numbersBefore;
        size_t at;  // in the text
    };
    std::vector<uint32_t> numbers;
    std::vector<Mark> marks;

    void mark(Kind kind, size_t at, std::string_view name = {}) {
        marks.push_back({kind, name, numbers.size(), at});
    }
};

// A text number as the importer reads a count: an optional minus, then
// digits gathered in 32 bits; whatever follows them does not count.
uint32_t textCount(std::string_view token) {
    const bool negative = !token.empty() && token[0] == '-';
    if (!token.empty() && (token[0] == '-' || token[0] == '+')) token.remove_prefix(1);
    uint32_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return negative ? 0u - value : value;
}

bool endsTextToken(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == ';' || c == '{' ||
           c == '}';
}

void scanText(std::string_view text, Scan& scan) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == ';') {
            ++i;
        } else if (c == '#' || (c == '/' && i + 1 < text.size() && text[i + 1] == '/')) {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '{' || c == '}') {
            scan.mark(c == '{' ? Scan::Kind::OpenBrace : Scan::Kind::CloseBrace, i);
            ++i;
        } else if (c == '"' || c == '<') {
            const size_t end = text.find(c == '"' ? '"' : '>', i + 1);
            scan.mark(Scan::Kind::Other, i);
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            size_t end = i + 1;
            while (end < text.size() && !endsTextToken(text[end])) ++end;
            const std::string_view token = text.substr(i, end - i);
            if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.')
                scan.numbers.push_back(textCount(token));
            else
                scan.mark(Scan::Kind::Name, i, token);
            i = end;
        }
    }
}

// The counts of one object against the numbers that stand in it before
// anything else: the text reader stops at the first thing that is not a
// number, so every array it sizes must be covered by these.
class CountCheck {
public:
    CountCheck(const std::vector<uint32_t>& numbers, size_t end) : numbers_(numbers), end_(end) {}

    bool count(size_t& at, uint32_t& value) const {
        if (at >= end_) return false;
        value = numbers_[at++];
        return true;
    }
    bool covered(size_t at, uint32_t items, uint64_t numbersEach) const {
        return static_cast<uint64_t>(items) * numbersEach <= end_ - at;
    }

    // A vertex (or normal) list of three numbers each, then faces of a
    // count and that many indices, each naming one of those vertices. The
    // normals' faces must match the mesh's faces one for one.
    bool vertexAndFaceLists(size_t at, MeshShape& shape, bool normals) const {
        uint32_t vertices = 0, faces = 0;
        if (!count(at, vertices)) return true;
        if (!covered(at, vertices, 3)) return false;
        at += static_cast<size_t>(vertices) * 3;
        if (!count(at, faces)) return true;
        if (!covered(at, faces, 1)) return false;
        if (normals && faces != shape.faceSizes.size()) return false;
        if (!normals) shape = {vertices, {}};
        for (uint32_t f = 0; f < faces; ++f) {
            uint32_t indices = 0;
            if (!count(at, indices)) return true;
            if (!covered(at, indices, 1)) return false;
            if (normals && indices != shape.faceSizes[f]) return false;
            if (!normals) shape.faceSizes.push_back(indices);
            for (uint32_t k = 0; k < indices; ++k)
                if (numbers_[at + k] >= vertices) return false;
            at += indices;
        }
        return true;
    }
    bool list(size_t at, uint64_t numbersEach) const {
        uint32_t items = 0;
        return !count(at, items) || covered(at, items, numbersEach);
    }

private:
    const std::vector<uint32_t>& numbers_;
    size_t end_;
};

// The objects whose counts size an array before it is read. A material
// list's face indices must all be there, or the importer reads the names
// after them as indices.
bool objectFits(std::string_view name, const CountCheck& check, size_t at, MeshShape& shape) {
    if (name == "Mesh" || name == "MeshNormals")
        return check.vertexAndFaceLists(at, shape, name == "MeshNormals");
    if (name == "SkinWeights") return check.list(at, 2);
    if (name == "MeshMaterialList") return check.list(at + 1, 1);
    return true;
}

bool countsFit(const Scan& scan) {
    const auto& marks = scan.marks;
    MeshShape shape;
    for (size_t i = 0; i < marks.size(); ++i) {
        if (marks[i].kind != Scan::Kind::Name) continue;
        // A template's body describes the object; it holds no data.
        if (i > 0 && marks[i - 1].kind == Scan::Kind::Name && marks[i - 1].name == "template")
            continue;
        size_t brace = i + 1;
        if (brace < marks.size() && marks[brace].kind == Scan::Kind::Name) ++brace;
        if (brace >= marks.size() || marks[brace].kind != Scan::Kind::OpenBrace) continue;
        // The object's numbers start after its brace (and, for the skin
        // weights, after its leading name string) and end at the next mark.
        size_t next = brace + 1;
        while (next < marks.size() && marks[next].kind == Scan::Kind::Other &&
               marks[next].numbersBefore == marks[brace].numbersBefore)
            ++next;
        const size_t first = marks[brace].numbersBefore;
        const size_t end = next < marks.size() ? marks[next].numbersBefore : scan.numbers.size();
        if (!objectFits(marks[i].name, CountCheck(scan.numbers, end), first, shape)) return false;
    }
    return true;
}

// The importer's text tokens, read from a place in the text as it reads
// them: separators and braces stand alone, anything else runs to the next
// space, and comments count only where a token starts.
class ImporterTokens {
public:
    ImporterTokens(std::string_view text, size_t at) : text_(text), at_(at) {}

    std::string_view next() {
        skipSpaceAndComments();
        const size_t start = at_;
        while (at_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[at_]))) {
            if (text_[at_] != '\0' && std::strchr(";,{}", text_[at_]) != nullptr) {
                if (at_ == start) ++at_;
                break;
            }
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }
    // A whole number and its separator, as the importer insists on them.
    bool integer(uint32_t& value) {
        skipSpaceAndComments();
        const bool negative = at_ < text_.size() && text_[at_] == '-';
        if (negative) ++at_;
        if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_])))
            return false;
        value = 0;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])))
            value = value * 10 + static_cast<uint32_t>(text_[at_++] - '0');
        if (negative) value = 0u - value;
        const std::string_view separator = next();
        return separator == "," || separator == ";";
    }
    // One semicolon right here, with no space before it.
    void semicolonHere() {
        if (at_ < text_.size() && text_[at_] == ';') ++at_;
    }
    // An object the importer does not know: up to its brace, then to the
    // brace that closes it.
    bool skipObject() {
        std::string_view token;
        do {
            token = next();
            if (token.empty()) return false;
        } while (token != "{");
        for (int depth = 1; depth > 0;) {
            token = next();
            if (token.empty()) return false;
            depth += token == "{" ? 1 : token == "}" ? -1 : 0;
        }
        return true;
    }

private:
    void skipSpaceAndComments() {
        for (;;) {
            while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
                ++at_;
            if (at_ >= text_.size()) return;
            const bool comment =
                text_[at_] == '#' || text_.substr(at_, 2) == std::string_view("//");
            if (!comment) return;
            while (at_ < text_.size() && text_[at_] != '\n' && text_[at_] != '\r') ++at_;
            if (at_ < text_.size()) ++at_;
        }
    }

    std::string_view text_;
    size_t at_;
};

// The importer's mesh builder trusts a mesh's material list: it takes the
// first material for faces that name it even when the list gave none (a
// stray token after the face indices is enough to hide them all), and a
// face for every index of every list the mesh holds, even where the mesh
// has no faces at all. Files like that crashed the game.
class MaterialListCheck {
public:
    MaterialListCheck(std::string_view text, const Scan& scan) : text_(text), scan_(scan) {}

    bool fits() {
        const auto& marks = scan_.marks;
        for (size_t i = 0; i < marks.size(); ++i) {
            if (marks[i].kind == Scan::Kind::Name && marks[i].name == "MeshMaterialList" &&
                !listGivesAMaterial(i))
                return false;
            if (marks[i].kind == Scan::Kind::OpenBrace && !opened(i)) return false;
            if (marks[i].kind == Scan::Kind::CloseBrace && !open_.empty()) open_.pop_back();
        }
        return true;
    }

private:
    struct Object {
        std::string_view type;  // empty for a reference, "{ name }"
        uint32_t faces = 0;     // a mesh's
        int lists = 0;          // a mesh's material lists
    };

    // "Type {" or "Type name {".
    std::string_view typeBefore(size_t brace) const {
        const auto& marks = scan_.marks;
        if (brace == 0 || marks[brace - 1].kind != Scan::Kind::Name) return {};
        const size_t name = brace - 1;
        if (name > 0 && marks[name - 1].kind == Scan::Kind::Name &&
            marks[name - 1].numbersBefore == marks[name].numbersBefore)
            return marks[name - 1].name;
        return marks[name].name;
    }
    // The number `offset` places after the object's brace, if it has one.
    uint32_t numberAfter(size_t brace, size_t offset) const {
        const size_t at = scan_.marks[brace].numbersBefore + offset;
        const size_t end = brace + 1 < scan_.marks.size() ? scan_.marks[brace + 1].numbersBefore
                                                          : scan_.numbers.size();
        return at < end ? scan_.numbers[at] : 0;
    }

    // Whether the importer, reading a material list from its name on, meets
    // a material before the list ends or finds that no face uses one. Yes
    // too where it gives up on the list: the whole file is refused then.
    // Every list is read so, wherever it stands: a stray token elsewhere
    // can make the importer skip past braces and take a list for a mesh's
    // that the braces put elsewhere.
    bool listGivesAMaterial(size_t name) const {
        ImporterTokens in(text_, scan_.marks[name].at);
        if (in.next() != "MeshMaterialList") return true;
        if (in.next() != "{" && in.next() != "{") return true;
        uint32_t materials = 0, indices = 0, index = 0;
        if (!in.integer(materials) || !in.integer(indices)) return true;
        if (indices == 0) return true;
        for (uint32_t k = 0; k < indices; ++k)
            if (!in.integer(index)) return true;
        in.semicolonHere();
        for (;;) {
            const std::string_view token = in.next();
            if (token.empty() || token == "{" || token == "Material") return true;
            if (token == "}") return false;
            if (token != ";" && !in.skipObject()) return true;
        }
    }

    bool opened(size_t brace) {
        Object object;
        object.type = typeBefore(brace);
        Object* parent = open_.empty() ? nullptr : &open_.back();
        if (object.type == "Mesh") {
            const uint64_t vertices = numberAfter(brace, 0);
            object.faces =
                vertices < scan_.numbers.size() ? numberAfter(brace, 1 + vertices * 3) : 0;
        }
        if (object.type == "MeshMaterialList" && parent != nullptr && parent->type == "Mesh") {
            const bool usesMaterials = numberAfter(brace, 1) > 0;
            if (++parent->lists > 1) return false;
            if (usesMaterials && parent->faces == 0) return false;
        }
        open_.push_back(object);
        return true;
    }

    std::string_view text_;
    const Scan& scan_;
    std::vector<Object> open_;
};

// The importer copies a frame's name into a fixed field of 1024 bytes
// without looking at its length; a longer one ended the game. No token of
// the text, as the importer splits it, may be that long.
constexpr size_t kLongestToken = 1023;
bool tokensFit(std::string_view text) {
    size_t run = 0;
    for (const char c : text) {
        const bool splits = std::isspace(static_cast<unsigned char>(c)) ||
                            (c != '\0' && std::strchr(";,{}", c) != nullptr);
        run = splits ? 0 : run + 1;
        if (run > kLongestToken) return false;
    }
    return true;
}

// ---- Binary files: written out as text ----

struct BinaryNumber {
    bool isFloat = false;
    uint32_t integer = 0;
    double real = 0.0;
};

// The binary token stream; the numbers of consecutive lists come one at a
// time, whatever list they stand in.
class BinaryReader {
public:
    enum class Kind { End, Name, String, Guid, Open, Close, Word };

    BinaryReader(std::string_view data, size_t floatSize) : data_(data), floatSize_(floatSize) {}

    bool atNumber() {
        while (left_ == 0) {
            uint16_t token = 0;
            std::string_view rest = data_;
            if (!take(rest, token)) return false;
            if (token == 3) {
                if (rest.size() < 4) return false;
                data_ = rest;
                left_ = 1;
                isFloat_ = false;
            } else if (token == 6 || token == 7) {
                uint32_t count = 0;
                if (!take(rest, count)) return false;
                data_ = rest;
                isFloat_ = token == 7;
                // A list cut short by the end of the file keeps what is there.
                left_ = std::min<size_t>(count, data_.size() / itemSize());
                if (left_ == 0 && count > 0) return false;
            } else {
                return false;
            }
        }
        return true;
    }
    // Only after atNumber() said yes.
    BinaryNumber number() {
        BinaryNumber n;
        n.isFloat = isFloat_;
        if (!isFloat_) {
            take(data_, n.integer);
        } else if (floatSize_ == 4) {
            float value = 0;
            take(data_, value);
            n.real = value;
        } else {
            take(data_, n.real);
        }
        --left_;
        return n;
    }
    // The next token, when no number stands next.
    Kind token(std::string_view& text) {
        text = {};
        uint16_t token = 0;
        if (!take(data_, token)) return Kind::End;
        uint32_t length = 0;
        switch (token) {
            case 1:
            case 2:
                if (!take(data_, length) || length > data_.size()) return Kind::End;
                text = data_.substr(0, length);
                data_.remove_prefix(length);
                if (token == 1) return Kind::Name;
                // A string is closed by a separator token of its own.
                data_.remove_prefix(std::min<size_t>(2, data_.size()));
                return Kind::String;
            case 5:
                if (data_.size() < 16) return Kind::End;
                data_.remove_prefix(16);
                return Kind::Guid;
            case 10: return Kind::Open;
            case 11: return Kind::Close;
            default: break;
        }
        static const char* const kPunctuation[] = {"(", ")", "[", "]", "<", ">", ".", ",", ";"};
        static const char* const kWords[] = {"WORD",    "DWORD",   "FLOAT",  "DOUBLE", "CHAR",
                                             "UCHAR",   "SWORD",   "SDWORD", "void",   "string",
                                             "unicode", "cstring", "array"};
        if (token >= 12 && token <= 20)
            text = kPunctuation[token - 12];
        else if (token == 31)
            text = "template";
        else if (token >= 40 && token <= 52)
            text = kWords[token - 40];
        else
            return Kind::End;  // not a token of the format: the importer stops here too
        return Kind::Word;
    }

private:
    size_t itemSize() const { return isFloat_ ? floatSize_ : 4; }

    std::string_view data_;
    size_t floatSize_;
    size_t left_ = 0;
    bool isFloat_ = false;
};

// Writes an object's numbers with the separators the text reader expects
// for it; false when the object holds fewer numbers than its counts say.
class NumberWriter {
public:
    NumberWriter(BinaryReader& in, std::string& out) : in_(in), out_(out) {}

    MeshShape shape;  // of the last mesh written

    bool count(uint32_t& value) {
        if (!in_.atNumber()) return false;
        const BinaryNumber n = in_.number();
        if (n.isFloat) return false;
        value = n.integer;
        append(n, ";\n");
        return true;
    }
    // `n` numbers, each followed by `separator` but the last, which is
    // followed by `last`; nothing at all for none.
    // Like numbers(), for indices: whole numbers below `limit`.
    bool indices(uint32_t n, uint32_t limit, const char* separator, const char* last) {
        for (uint32_t i = 0; i < n; ++i) {
            if (!in_.atNumber()) return false;
            const BinaryNumber index = in_.number();
            if (index.isFloat || index.integer >= limit) return false;
            append(index, i + 1 < n ? separator : last);
        }
        return true;
    }
    bool numbers(uint32_t n, const char* separator, const char* last) {
        for (uint32_t i = 0; i < n; ++i) {
            if (!in_.atNumber()) return false;
            append(in_.number(), i + 1 < n ? separator : last);
        }
        return true;
    }
    // `n` items of `each` numbers, each item closed by ";" and followed by
    // "," but the last, which is followed by ";".
    bool items(uint32_t n, uint32_t each) {
        for (uint32_t i = 0; i < n; ++i) {
            if (!numbers(each, ";", ";")) return false;
            out_ += i + 1 < n ? ",\n" : ";\n";
        }
        return true;
    }
    bool countedItems(uint32_t each) {
        uint32_t n = 0;
        return count(n) && items(n, each);
    }
    // A count, then that many numbers.
    bool countedList(const char* separator, const char* last) {
        uint32_t n = 0;
        return count(n) && numbers(n, separator, last);
    }
    void raw(const char* text) { out_ += text; }
    void append(const BinaryNumber& n, const char* after) {
        char text[40];
        if (!n.isFloat)
            std::snprintf(text, sizeof text, "%u%s", n.integer, after);
        else  // always with a decimal point: the reader takes "1,0" for one number
            std::snprintf(text, sizeof text, "%#.17g%s", std::isfinite(n.real) ? n.real : 0.0,
                          after);
        out_ += text;
    }

private:
    BinaryReader& in_;
    std::string& out_;
};

bool vertexAndFaceLists(NumberWriter& w, bool normals) {
    MeshShape& shape = w.shape;
    uint32_t vertices = 0, faces = 0;
    if (!w.count(vertices) || !w.items(vertices, 3) || !w.count(faces)) return false;
    if (normals && faces != shape.faceSizes.size()) return false;
    if (!normals) shape = {vertices, {}};
    for (uint32_t f = 0; f < faces; ++f) {
        uint32_t indices = 0;
        if (!w.count(indices)) return false;
        if (normals && indices != shape.faceSizes[f]) return false;
        if (!normals) shape.faceSizes.push_back(indices);
        if (!w.indices(indices, vertices, ",", ";")) return false;
        w.raw(f + 1 < faces ? ",\n" : ";\n");
    }
    return true;
}

bool animationKeys(NumberWriter& w) {
    uint32_t keyType = 0, keys = 0;
    if (!w.count(keyType) || !w.count(keys)) return false;
    for (uint32_t k = 0; k < keys; ++k) {
        uint32_t time = 0;
        if (!w.count(time) || !w.countedList(",", ";")) return false;
        w.raw(k + 1 < keys ? ";,\n" : ";;\n");
    }
    return true;
}

// The numbers of the objects the importer reads, laid out as it reads them;
// null for objects it skips, whose numbers are written plainly.
using Layout = bool (*)(NumberWriter&);

Layout layoutOf(std::string_view object) {
    if (object == "Mesh") return [](NumberWriter& w) { return vertexAndFaceLists(w, false); };
    if (object == "MeshNormals") return [](NumberWriter& w) { return vertexAndFaceLists(w, true); };
    if (object == "FrameTransformMatrix")
        return [](NumberWriter& w) { return w.numbers(16, ",", ";;\n"); };
    if (object == "MeshTextureCoords") return [](NumberWriter& w) { return w.countedItems(2); };
    if (object == "MeshVertexColors") return [](NumberWriter& w) { return w.countedItems(5); };
    if (object == "MeshMaterialList") {
        return [](NumberWriter& w) {
            uint32_t materials = 0;
            return w.count(materials) && w.countedList(",", ";;\n");
        };
    }
    if (object == "Material") {
        return [](NumberWriter& w) {
            return w.numbers(4, ";", ";;\n") && w.numbers(1, "", ";\n") &&
                   w.numbers(3, ";", ";;\n") && w.numbers(3, ";", ";;\n");
        };
    }
    if (object == "SkinWeights") {
        return [](NumberWriter& w) {
            uint32_t weights = 0;
            return w.count(weights) && w.numbers(weights, ",", ";\n") &&
                   w.numbers(weights, ",", ";\n") && w.numbers(16, ",", ";;\n");
        };
    }
    if (object == "AnimationKey") return animationKeys;
    return nullptr;
}

void appendName(std::string& text, std::string_view name) {
    // Names are identifiers; bytes that would end a text token are not.
    for (char c : name) {
        const bool breaks = std::isspace(static_cast<unsigned char>(c)) || c == '\0' ||
                            std::strchr(";,{}\"<>#/", c) != nullptr;
        text += breaks ? '_' : c;
    }
    text += ' ';
}

// The binary form written out as text; nothing when an object the importer
// reads holds fewer numbers than its counts say, or more.
std::optional<std::string> binaryAsText(std::string_view data, size_t floatSize) {
    BinaryReader in(data, floatSize);
    std::string text;
    NumberWriter writer(in, text);
    Layout pending = nullptr;
    // The last two tokens, to tell an object's type from its name.
    BinaryReader::Kind before[2] = {BinaryReader::Kind::End, BinaryReader::Kind::End};
    std::string_view beforeText[2];
    for (;;) {
        if (in.atNumber()) {
            if (pending != nullptr) {
                if (!pending(writer) || in.atNumber()) return std::nullopt;
                pending = nullptr;
            } else {
                writer.append(in.number(), ";\n");
            }
            before[0] = before[1] = BinaryReader::Kind::End;
            continue;
        }
        std::string_view tokenText;
        const BinaryReader::Kind kind = in.token(tokenText);
        switch (kind) {
            case BinaryReader::Kind::End: return text;
            case BinaryReader::Kind::Name: appendName(text, tokenText); break;
            case BinaryReader::Kind::String:
                text += '"';
                for (char c : tokenText) text += (c == '"' || c == '\0') ? '\'' : c;
                text += "\";\n";
                break;
            case BinaryReader::Kind::Guid: text += "<guid>\n"; break;
            case BinaryReader::Kind::Word:
                text += tokenText;
                text += ' ';
                break;
            case BinaryReader::Kind::Open: {
                // "Type {" or "Type name {", but not "template Type {".
                std::string_view type;
                if (before[1] == BinaryReader::Kind::Name) {
                    type = before[0] == BinaryReader::Kind::Name ? beforeText[0] : beforeText[1];
                    if (before[0] == BinaryReader::Kind::Word && beforeText[0] == "template")
                        type = {};
                }
                pending = layoutOf(type);
                text += "{\n";
                break;
            }
            case BinaryReader::Kind::Close:
                pending = nullptr;
                text += "}\n";
                break;
        }
        before[0] = before[1];
        beforeText[0] = beforeText[1];
        before[1] = kind;
        beforeText[1] = tokenText;
    }
}

// MSZIP, as the importer unpacks it: a six-byte master header, then blocks
// of raw deflate data, each led by its length and "CK", each able to look
// back into the block before.
bool unpack(std::string_view data, std::string& out) {
    if (data.size() < 6) return false;
    data.remove_prefix(6);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    bool ok = true;
    std::string block(kCompressedBlock, '\0');
    while (ok && data.size() > 3) {
        uint16_t length = 0, magic = 0;
        take(data, length);
        take(data, magic);
        if (length >= kCompressedBlock || magic != kCompressedBlockMagic) {
            ok = false;
            break;
        }
        const size_t available = std::min<size_t>(length, data.size());
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        stream.avail_in = static_cast<uInt>(available);
        stream.next_out = reinterpret_cast<Bytef*>(block.data());
        stream.avail_out = static_cast<uInt>(block.size());
        const int result = inflate(&stream, Z_SYNC_FLUSH);
        const size_t produced = block.size() - stream.avail_out;
        ok = result == Z_OK || result == Z_STREAM_END;
        out.append(block.data(), produced);
        inflateReset(&stream);
        inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(block.data()),
                             static_cast<uInt>(produced));
        data.remove_prefix(available);
    }
    inflateEnd(&stream);
    return ok;
}

}  // namespace

std::optional<std::string> xFileAsCheckedText(const std::string& bytes) {
    if (bytes.size() < kHeaderSize || bytes.compare(0, 4, "xof ") != 0) return std::nullopt;
    const std::string_view format(bytes.data() + 8, 4);
    const size_t floatSize = std::string_view(bytes.data() + 12, 4) == "0064" ? 8 : 4;
    const bool compressed = format == "tzip" || format == "bzip";
    const bool binary = format == "bin " || format == "bzip";
    if (!compressed && !binary && format != "txt ") return std::nullopt;
    const std::string_view body(bytes.data() + kHeaderSize, bytes.size() - kHeaderSize);
    std::string unpacked;
    if (compressed && !unpack(body, unpacked)) return std::nullopt;
    const std::string_view data = compressed ? std::string_view(unpacked) : body;

    std::string text = bytes.substr(0, 8) + "txt 0032\n";
    const size_t header = text.size();
    if (binary) {
        const std::optional<std::string> written = binaryAsText(data, floatSize);
        if (!written) return std::nullopt;
        text += *written;
    } else {
        text += data;
    }
    // The scan points into the text: nothing may be added to it from here.
    const std::string_view scanned = std::string_view(text).substr(header);
    if (!tokensFit(scanned)) return std::nullopt;
    Scan scan;
    scanText(scanned, scan);
    if (!binary && !countsFit(scan)) return std::nullopt;
    if (!MaterialListCheck(scanned, scan).fits()) return std::nullopt;
    return text;
}

}  // namespace platform
