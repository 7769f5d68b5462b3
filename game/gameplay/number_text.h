#pragma once
// Numbers as the game's text files hold them. Conversion stops at the first
// character that cannot continue the number; text without one gives 0.
// Values beyond the 32-bit range are held at its ends instead of being
// undefined, and text that reads as "not a number" counts as 0.

#include <cstdint>
#include <string>

// Decimal floating-point text, truncated toward zero.
int32_t truncatedDecimal(const std::string& text);
// Decimal integer text (sign and digits only).
int32_t integerText(const std::string& text);
// Any double truncated toward zero into the 32-bit range; NaN gives 0.
int32_t truncateToInt32(double value);
