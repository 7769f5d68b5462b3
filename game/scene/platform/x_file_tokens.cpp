#include "scene/platform/x_file_tokens.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr size_t kHeaderSize = 16;
// Each block of a compressed file unpacks to at most this many bytes.
constexpr size_t kCompressedBlock = 32786;
constexpr uint16_t kCompressedBlockMagic = 0x4B43;  // "CK"
// The whole unpacked size that leads the body, and two bytes that follow it.
constexpr size_t kCompressedLead = 6;

template <typename T>
bool take(std::string_view& data, T& value) {
    if (data.size() < sizeof value) return false;
    std::memcpy(&value, data.data(), sizeof value);
    data.remove_prefix(sizeof value);
    return true;
}

// Blocks of raw deflate data, each led by its length and "CK"; each block
// may look back into the one before it, so that one is its dictionary.
bool unpack(std::string_view data, size_t largest, std::string& out) {
    if (data.size() < kCompressedLead) return false;
    data.remove_prefix(kCompressedLead);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    bool ok = true;
    while (ok && data.size() > 3) {
        uint16_t length = 0, magic = 0;
        take(data, length);
        take(data, magic);
        const size_t start = out.size();
        ok = magic == kCompressedBlockMagic && length <= data.size() &&
             start + kCompressedBlock <= largest + kCompressedBlock;
        if (!ok) break;
        out.resize(start + kCompressedBlock);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        stream.avail_in = length;
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + start);
        stream.avail_out = static_cast<uInt>(kCompressedBlock);
        const int result = inflate(&stream, Z_SYNC_FLUSH);
        const size_t produced = kCompressedBlock - stream.avail_out;
        out.resize(start + produced);
        ok = result == Z_STREAM_END && stream.avail_in == 0 && out.size() <= largest;
        inflateReset(&stream);
        inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(out.data() + start),
                             static_cast<uInt>(produced));
        data.remove_prefix(length);
    }
    inflateEnd(&stream);
    return ok;
}

// What a byte of text is where a token starts; anything else starts a word.
enum TextClass : uint8_t { kWordByte, kSpace, kBrace, kQuote, kAngle, kHash, kSlash, kNul };

struct TextClasses {
    TextClass at[256] = {};
    bool endsWord[256] = {};
    constexpr TextClasses() {
        for (unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f', ',', ';'}) at[c] = kSpace;
        at[static_cast<unsigned char>('{')] = at[static_cast<unsigned char>('}')] = kBrace;
        at[static_cast<unsigned char>('"')] = kQuote;
        at[static_cast<unsigned char>('<')] = kAngle;
        at[static_cast<unsigned char>('#')] = kHash;
        at[static_cast<unsigned char>('/')] = kSlash;
        at[0] = kNul;
        for (int c = 0; c < 256; ++c)
            endsWord[c] = at[c] == kSpace || at[c] == kBrace || at[c] == kNul;
    }
};
constexpr TextClasses kText;

XToken broken() { return {XTokenKind::Broken, {}, 0, 0}; }

// A text number: digits alone are a whole number, anything else a float as
// the game has always read one: the whole part and the fraction are made
// floats apart and added, which rounds some numbers to the float beside
// the nearest. Reading them the same keeps every vertex where it was drawn
// before, to the last bit. `token` stands before a separator or the closing
// '\0', never a digit, so its digits are scanned without a bound check.
XToken textNumber(std::string_view token) {
    const char* at = token.data();
    const char* const end = at + token.size();
    const bool negative = *at == '-', sign = negative || *at == '+';
    if (sign) ++at;
    const auto digits = [&](uint64_t& value, int most) {
        const char* const start = at;
        value = 0;
        for (; static_cast<unsigned char>(*at - '0') < 10; ++at)
            if (at - start < most) value = value * 10 + static_cast<uint64_t>(*at - '0');
        return static_cast<int>(std::min<ptrdiff_t>(at - start, most));
    };
    uint64_t whole = 0, fraction = 0;
    const int wholeDigits = digits(whole, 19);
    if (at == end && !sign && wholeDigits > 0 && wholeDigits <= 10 && whole <= UINT32_MAX)
        return {XTokenKind::Integer, token, static_cast<uint32_t>(whole),
                static_cast<float>(whole)};
    float value = static_cast<float>(whole);
    if (*at == '.' && static_cast<unsigned char>(at[1] - '0') < 10) {
        ++at;
        static constexpr double kTenths[] = {1.0,  1e-1, 1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                             1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};
        const int places = digits(fraction, 15);
        value += static_cast<float>(static_cast<double>(fraction) * kTenths[places]);
    } else if (wholeDigits == 0) {
        return broken();
    }
    if (*at == 'e' || *at == 'E') {
        ++at;
        const bool smaller = *at == '-';
        if (*at == '-' || *at == '+') ++at;
        uint64_t exponent = 0;
        if (digits(exponent, 4) == 0) return broken();
        value *=
            std::pow(10.0f, smaller ? -static_cast<float>(exponent) : static_cast<float>(exponent));
    }
    const float real = negative ? -value : value;
    if (at != end || !std::isfinite(real)) return broken();
    return {XTokenKind::Float, token, 0, real};
}

}  // namespace

std::optional<XFileBody> xFileBody(std::string_view file, size_t largestUnpacked) {
    if (file.size() < kHeaderSize || file.substr(0, 4) != "xof ") return std::nullopt;
    const std::string_view format = file.substr(8, 4);
    XFileBody body;
    body.doubles = file.substr(12, 4) == "0064";
    const bool compressed = format == "tzip" || format == "bzip";
    body.binary = format == "bin " || format == "bzip";
    if (!compressed && !body.binary && format != "txt ") return std::nullopt;
    body.bytes = file.substr(kHeaderSize);
    if (compressed) {
        if (!unpack(body.bytes, largestUnpacked, body.owned)) return std::nullopt;
        body.bytes = body.owned;
    } else if (!body.binary) {
        body.owned = body.bytes;
        body.bytes = body.owned;
    }
    return body;
}

XToken XTokens::next() { return binary_ ? nextBinary() : nextText(); }

size_t XTokens::mostNumbersLeft() const {
    // A text number takes a byte and a separator (the last needs none); a
    // binary one at least four bytes.
    return binary_ ? listLeft_ + data_.size() / 4 : (static_cast<size_t>(end_ - at_) + 1) / 2;
}

XToken XTokens::nextText() {
    for (;;) {
        while (kText.at[static_cast<unsigned char>(*at_)] == kSpace) ++at_;
        const char* const start = at_;
        switch (kText.at[static_cast<unsigned char>(*at_)]) {
            case kNul:
                // A '\0' inside the text is no part of the format.
                return at_ == end_ ? XToken{} : broken();
            case kHash: at_ = lineEnd(at_); continue;
            case kSlash:
                if (at_[1] == '/') {
                    at_ = lineEnd(at_);
                    continue;
                }
                break;
            case kBrace:
                ++at_;
                return {*start == '{' ? XTokenKind::Open : XTokenKind::Close, {}, 0, 0};
            case kQuote:
            case kAngle: {
                const void* close = std::memchr(at_ + 1, *at_ == '"' ? '"' : '>',
                                                static_cast<size_t>(end_ - at_ - 1));
                if (close == nullptr) return broken();
                at_ = static_cast<const char*>(close) + 1;
                if (*start == '<') continue;  // an object's identifier plays no part
                return {XTokenKind::String, std::string_view(start + 1, at_ - start - 2), 0, 0};
            }
            default: break;
        }
        ++at_;
        while (!kText.endsWord[static_cast<unsigned char>(*at_)]) ++at_;
        const std::string_view token(start, static_cast<size_t>(at_ - start));
        const char c = *start;
        if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') return textNumber(token);
        return {XTokenKind::Name, token, 0, 0};
    }
}

const char* XTokens::lineEnd(const char* from) const {
    const void* end = std::memchr(from, '\n', static_cast<size_t>(end_ - from));
    return end == nullptr ? end_ : static_cast<const char*>(end);
}

XToken XTokens::nextBinary() {
    for (;;) {
        if (listLeft_ > 0) {
            --listLeft_;
            XToken number;
            if (!listFloats_) {
                take(data_, number.integer);
                number.kind = XTokenKind::Integer;
                number.real = static_cast<float>(number.integer);
                return number;
            }
            number.kind = XTokenKind::Float;
            if (floatSize_ == 8) {
                double value = 0;
                take(data_, value);
                number.real = static_cast<float>(value);
            } else {
                take(data_, number.real);
            }
            return std::isfinite(number.real) ? number : broken();
        }
        uint16_t token = 0;
        if (!take(data_, token)) return {};
        uint32_t length = 0;
        switch (token) {
            case 1:
            case 2: {
                if (!take(data_, length) || length > data_.size()) return broken();
                const std::string_view text = data_.substr(0, length);
                data_.remove_prefix(length);
                return {token == 1 ? XTokenKind::Name : XTokenKind::String, text, 0, 0};
            }
            case 3:
                listFloats_ = false;
                listLeft_ = 1;
                if (data_.size() < 4) return broken();
                continue;
            case 5:
                if (data_.size() < 16) return broken();
                data_.remove_prefix(16);
                continue;
            case 6:
            case 7:
                listFloats_ = token == 7;
                if (!take(data_, listLeft_) ||
                    listLeft_ > data_.size() / (listFloats_ ? floatSize_ : 4))
                    return broken();
                continue;
            case 10: return {XTokenKind::Open, {}, 0, 0};
            case 11: return {XTokenKind::Close, {}, 0, 0};
            case 31: return {XTokenKind::Name, "template", 0, 0};
            default: break;
        }
        if (token >= 12 && token <= 20) continue;  // punctuation carries nothing here
        if (token >= 40 && token <= 52) return {XTokenKind::Word, {}, 0, 0};
        return broken();
    }
}

}  // namespace platform
