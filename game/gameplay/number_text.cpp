#include "gameplay/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// White space as the C locale knows it.
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Steps over an optional sign; true when it was a minus.
bool takeSign(const char*& c, const char* end) {
    const bool negative = c < end && *c == '-';
    if (c < end && (*c == '-' || *c == '+')) ++c;
    return negative;
}

// Numbers beyond a double's range are either huge or tiny: this one is huge
// when its first nonzero digit stands at the units or above.
bool isHuge(const char* number, const char* end) {
    const char* c = number;
    while (c < end && *c == '0') ++c;
    const char* const significant = c;
    while (c < end && isDigit(*c)) ++c;
    long long place = c - significant - 1;  // of the first nonzero digit; units are 0
    if (c == significant && c < end && *c == '.') {
        for (++c; c < end && *c == '0'; ++c) --place;
    }
    while (c < end && *c != 'e' && *c != 'E') ++c;
    if (c == end) return place >= 0;
    ++c;
    const bool negative = takeSign(c, end);
    // Far beyond any place a line can hold, so the sum below cannot overflow.
    constexpr long long kExponentCap = 1'000'000;
    long long exponent = 0;
    for (; c < end && isDigit(*c); ++c)
        exponent = std::min(exponent * 10 + (*c - '0'), kExponentCap);
    return place + (negative ? -exponent : exponent) >= 0;
}

}  // namespace

double decimalValue(const std::string& text) {
    const char* c = text.data();
    const char* const end = c + text.size();
    while (c < end && isBlank(*c)) ++c;
    const bool negative = takeSign(c, end);
    // Only a digit, or a point before one, begins a number, so that the
    // conversion below never sees "inf" or "nan"; it reads no hexadecimal.
    const bool numberFollows =
        c < end && (isDigit(*c) || (*c == '.' && c + 1 < end && isDigit(c[1])));
    if (!numberFollows) return 0.0;
    double magnitude = 0.0;
    const auto [stop, error] = std::from_chars(c, end, magnitude, std::chars_format::general);
    if (error == std::errc::result_out_of_range) magnitude = isHuge(c, stop) ? HUGE_VAL : 0.0;
    return negative ? -magnitude : magnitude;
}

int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t truncatedDecimal(const std::string& text) { return truncateToInt32(decimalValue(text)); }

int32_t integerText(const std::string& text) {
    const char* c = text.data();
    const char* const end = c + text.size();
    while (c < end && isBlank(*c)) ++c;
    const bool negative = takeSign(c, end);
    // Held just beyond the 32-bit range, where the result is held at its ends.
    constexpr int64_t kBeyondRange = int64_t{1} << 32;
    int64_t magnitude = 0;
    for (; c < end && isDigit(*c); ++c)
        magnitude = std::min(magnitude * 10 + (*c - '0'), kBeyondRange);
    return truncateToInt32(static_cast<double>(negative ? -magnitude : magnitude));
}
