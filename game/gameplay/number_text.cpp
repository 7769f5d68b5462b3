#include "gameplay/number_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t truncatedDecimal(const std::string& text) {
    return truncateToInt32(std::atof(text.c_str()));
}

int32_t integerText(const std::string& text) {
    // strtol rather than atoi: atoi's result is undefined when it overflows.
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
