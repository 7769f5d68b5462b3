#pragma once
// The tokens of an .x file, the same from its text and binary forms, and
// the unpacking of its compressed forms. The separators of the text form
// carry nothing the mesh reader needs, so neither form yields them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class XTokenKind { End, Broken, Name, String, Integer, Float, Open, Close, Word };

struct XToken {
    XTokenKind kind = XTokenKind::End;
    std::string_view text;  // a name's or a string's bytes
    uint32_t integer = 0;
    float real = 0;
};

// The body of a file (after its header) unpacked and ready to tokenize.
struct XFileBody {
    // Text is always held here: its closing '\0' ends every scan without a
    // bound check of its own, the cost that counts when the reader is fuzzed.
    std::string owned;
    std::string_view bytes;
    bool binary = false;
    bool doubles = false;  // binary floats of eight bytes
};

// Nothing for anything but an .x header, or a compressed body that does not
// unpack whole, or unpacks to more than `largestUnpacked` bytes.
std::optional<XFileBody> xFileBody(std::string_view file, size_t largestUnpacked);

class XTokens {
public:
    explicit XTokens(const XFileBody& body)
        : data_(body.bytes),
          at_(body.bytes.data()),
          end_(body.bytes.data() + body.bytes.size()),
          binary_(body.binary),
          floatSize_(body.doubles ? 8 : 4) {}

    XToken next();
    // No more numbers than this can follow: what sizes an array is checked
    // against it before anything is allocated.
    size_t mostNumbersLeft() const;

private:
    XToken nextText();
    XToken nextBinary();
    const char* lineEnd(const char* from) const;

    std::string_view data_;  // what is left of a binary body
    const char* at_;         // where a text body goes on
    const char* end_;        // its closing '\0'
    bool binary_;
    size_t floatSize_;
    // The rest of the binary number list being read.
    uint32_t listLeft_ = 0;
    bool listFloats_ = false;
};

}  // namespace platform
