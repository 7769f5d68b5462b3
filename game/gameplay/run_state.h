#pragma once
// Every value the rules of play read, taken from the world and put back in
// it: where a replay starts from and what it must end with. A state is a
// row of 32-bit values in a fixed order of named fields; a real number is
// kept as its bits, so a state read back is exactly the one written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RunState {
    std::vector<uint32_t> values;
    bool operator==(const RunState&) const = default;
};

RunState captureRunState();
void applyRunState(const RunState& state);
// The names of the fields in which the two states differ, in field order.
std::vector<std::string> differingFields(const RunState& a, const RunState& b);

// One line per field: its name, then its values after single spaces; whole
// numbers in decimal, real numbers in their shortest decimal form that
// reads back to the same bits.
std::string runStateText(const RunState& state);
// Reads the lines runStateText writes, from lines[next] on, and moves `next`
// past them. Anything else gives nothing and says why in `error`.
std::optional<RunState> readRunStateLines(const std::vector<std::string_view>& lines,
                                          size_t& next, std::string& error);
// The fields a state is made of, by name: "mode", "level" and so on.
std::optional<uint32_t> runStateValue(const RunState& state, std::string_view field);
