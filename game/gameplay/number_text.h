#pragma once
// Numbers as the game's text files hold them: decimal text only, read the
// same under every locale. Conversion stops at the first character that
// cannot continue the number; text without one, hexadecimal text and words
// such as "inf" or "nan" give 0. Values beyond the 32-bit range are held at
// its ends instead of being undefined.

#include <cstdint>
#include <string>

// White space, an optional sign, digits with an optional point and fraction,
// an optional exponent. Beyond a double's range: HUGE_VAL with the number's
// sign, or 0 for the tiny.
double decimalValue(const std::string& text);
// Decimal floating-point text, truncated toward zero.
int32_t truncatedDecimal(const std::string& text);
// Decimal integer text (sign and digits only).
int32_t integerText(const std::string& text);
// Any double truncated toward zero into the 32-bit range; NaN gives 0.
int32_t truncateToInt32(double value);
