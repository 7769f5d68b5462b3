#pragma once
// Turns a text .x file as our content generator writes it into the same
// file in the binary form of the format, and packs either form the way
// compressed .x files are, for the fuzz seeds and the tests of damaged
// meshes.

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace x_binary {

// Tokens of the binary .x format.
enum : uint16_t {
    kName = 1,
    kString = 2,
    kIntegerList = 6,
    kFloatList = 7,
    kOpenBrace = 10,
    kCloseBrace = 11,
    kSemicolon = 20,
};

class BinaryWriter {
public:
    void word(uint16_t value) { out_.append(reinterpret_cast<const char*>(&value), 2); }
    void dword(uint32_t value) { out_.append(reinterpret_cast<const char*>(&value), 4); }
    void name(const std::string& text) {
        flushNumbers();
        word(kName);
        dword(static_cast<uint32_t>(text.size()));
        out_ += text;
    }
    void string(const std::string& text) {
        flushNumbers();
        word(kString);
        dword(static_cast<uint32_t>(text.size()));
        out_ += text;
        word(kSemicolon);
    }
    void brace(uint16_t token) {
        flushNumbers();
        word(token);
    }
    // Neighbouring numbers of one kind share a list, as the format's writers do.
    void number(const std::string& text) {
        const bool isFloat = text.find_first_of(".eE") != std::string::npos;
        if (!numbers_.empty() && isFloat != floats_) flushNumbers();
        floats_ = isFloat;
        numbers_.push_back(text);
    }
    std::string finish() {
        flushNumbers();
        return out_;
    }

private:
    void flushNumbers() {
        if (numbers_.empty()) return;
        word(floats_ ? kFloatList : kIntegerList);
        dword(static_cast<uint32_t>(numbers_.size()));
        for (const std::string& text : numbers_) {
            if (floats_) {
                const float value = std::stof(text);
                out_.append(reinterpret_cast<const char*>(&value), 4);
            } else {
                dword(static_cast<uint32_t>(std::stol(text)));
            }
        }
        numbers_.clear();
    }

    std::string out_;
    std::vector<std::string> numbers_;
    bool floats_ = false;
};

// The text files our generator writes use names, braces, numbers, quoted
// strings and comments only; separators are implied by the binary lists.
inline std::string binaryBody(const std::string& text) {
    BinaryWriter writer;
    size_t i = 16;  // past the header
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == ';') {
            ++i;
        } else if (c == '/' || c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '{' || c == '}') {
            writer.brace(c == '{' ? kOpenBrace : kCloseBrace);
            ++i;
        } else if (c == '"') {
            const size_t end = text.find('"', i + 1);
            writer.string(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' ||
                   c == '.') {
            size_t end = i + 1;
            while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) ||
                                         std::strchr(".eE+-", text[end]) != nullptr))
                ++end;
            writer.number(text.substr(i, end - i));
            i = end;
        } else {
            size_t end = i;
            while (end < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                ++end;
            if (end == i) ++end;  // a character the format does not use: left out
            writer.name(text.substr(i, end - i));
            i = end;
        }
    }
    return writer.finish();
}

// MSZIP: blocks of raw deflate data, each headed by its length and "CK",
// after a six-byte master header.
inline std::string compressedBody(const std::string& body) {
    std::string out(6, '\0');
    const uint32_t total = static_cast<uint32_t>(body.size() + 16);
    std::memcpy(out.data(), &total, 4);
    constexpr size_t kBlock = 32768;
    for (size_t start = 0; start < body.size(); start += kBlock) {
        const size_t length = std::min(kBlock, body.size() - start);
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        if (start > 0) {
            // Each block may look back into the one before it.
            deflateSetDictionary(
                &stream, reinterpret_cast<const Bytef*>(body.data() + start - kBlock), kBlock);
        }
        std::string packed(deflateBound(&stream, length), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + start));
        stream.avail_in = static_cast<uInt>(length);
        stream.next_out = reinterpret_cast<Bytef*>(packed.data());
        stream.avail_out = static_cast<uInt>(packed.size());
        deflate(&stream, Z_FINISH);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        const uint16_t size = static_cast<uint16_t>(packed.size());
        out.append(reinterpret_cast<const char*>(&size), 2);
        out += "CK";
        out += packed;
    }
    return out;
}

// The whole binary file: its header, then the body.
inline std::string binaryFile(const std::string& text) {
    return "xof 0303bin 0032" + binaryBody(text);
}

}  // namespace x_binary
