#include "gameplay/run_state.h"

#include <bit>
#include <charconv>
#include <climits>
#include <iterator>

#include "core/game_world.h"

namespace {

enum class Kind { Whole, Real };

// A field of the world: `count` values, each got and set by index. Whole
// values are 32-bit integers within [least, most].
struct Field {
    const char* name;
    Kind kind;
    size_t count;
    uint32_t (*get)(size_t);
    void (*set)(size_t, uint32_t);
    int64_t least = INT32_MIN;
    int64_t most = INT32_MAX;
};

uint32_t bitsOf(float value) { return std::bit_cast<uint32_t>(value); }
float realOf(uint32_t bits) { return std::bit_cast<float>(bits); }
uint32_t bitsOf(int32_t value) { return static_cast<uint32_t>(value); }
int32_t wholeOf(uint32_t bits) { return static_cast<int32_t>(bits); }

float& axis(Vec3& v, size_t index) { return index == 0 ? v.x : (index == 1 ? v.y : v.z); }

// Value k of an object's box: the least x, y and z, then the greatest.
// Objects not made (start-up has not run) read as 0 and take nothing.
uint32_t boxValue(SceneObject* object, size_t k) {
    if (object == nullptr) return 0;
    return bitsOf(axis(k < 3 ? object->minBounds : object->maxBounds, k % 3));
}
void setBoxValue(SceneObject* object, size_t k, uint32_t bits) {
    if (object != nullptr) axis(k < 3 ? object->minBounds : object->maxBounds, k % 3) = realOf(bits);
}

// The steering command as a number: none, right, left.
uint32_t steerNumber() {
    if (world.steerCommand == "right") return 1;
    if (world.steerCommand == "left") return 2;
    return 0;
}
void setSteerNumber(uint32_t number) {
    world.steerCommand = number == 1 ? "right" : (number == 2 ? "left" : "");
}

int32_t& rockCoordinate(size_t k) {
    RockPosition& rock = world.rockPos[k / 3];
    return k % 3 == 0 ? rock.x : (k % 3 == 1 ? rock.y : rock.z);
}

// A pickup stands where its translation puts it.
float* pickupPlace(size_t k) {
    SceneObject* pickup = world.pickups[k / 3];
    return pickup == nullptr ? nullptr : &pickup->translation.m[3][k % 3];
}

const Field kFields[] = {
    {"mode", Kind::Whole, 1, [](size_t) { return static_cast<uint32_t>(world.mode); },
     [](size_t, uint32_t v) { world.mode = static_cast<GameMode>(v); }, 0,
     static_cast<int64_t>(GameMode::TheEnd)},
    {"level", Kind::Whole, 1, [](size_t) { return bitsOf(world.level); },
     [](size_t, uint32_t v) { world.level = wholeOf(v); }},
    {"levelEndZ", Kind::Real, 1, [](size_t) { return bitsOf(world.levelEndZ); },
     [](size_t, uint32_t v) { world.levelEndZ = realOf(v); }},
    {"shipX", Kind::Real, 1, [](size_t) { return bitsOf(world.shipX); },
     [](size_t, uint32_t v) { world.shipX = realOf(v); }},
    {"shipZ", Kind::Real, 1, [](size_t) { return bitsOf(world.shipZ); },
     [](size_t, uint32_t v) { world.shipZ = realOf(v); }},
    {"roll", Kind::Real, 1, [](size_t) { return bitsOf(world.roll); },
     [](size_t, uint32_t v) { world.roll = realOf(v); }},
    {"spin", Kind::Real, 1, [](size_t) { return bitsOf(world.spin); },
     [](size_t, uint32_t v) { world.spin = realOf(v); }},
    {"steer", Kind::Whole, 1, [](size_t) { return steerNumber(); },
     [](size_t, uint32_t v) { setSteerNumber(v); }, 0, 2},
    {"bombs", Kind::Whole, 1, [](size_t) { return bitsOf(world.bombs); },
     [](size_t, uint32_t v) { world.bombs = wholeOf(v); }},
    {"shipBox", Kind::Real, 6, [](size_t k) { return boxValue(world.ship, k); },
     [](size_t k, uint32_t v) { setBoxValue(world.ship, k, v); }},
    {"rockCount", Kind::Whole, 1, [](size_t) { return bitsOf(world.rockCount); },
     [](size_t, uint32_t v) { world.rockCount = wholeOf(v); }, 0, kRockSlots},
    {"rockPositions", Kind::Whole, 3 * kRockSlots,
     [](size_t k) { return bitsOf(rockCoordinate(k)); },
     [](size_t k, uint32_t v) { rockCoordinate(k) = wholeOf(v); }},
    {"rockBoxes", Kind::Real, 6 * kRockSlots,
     [](size_t k) { return boxValue(world.rocks[k / 6], k % 6); },
     [](size_t k, uint32_t v) { setBoxValue(world.rocks[k / 6], k % 6, v); }},
    {"pickupCount", Kind::Whole, 1, [](size_t) { return bitsOf(world.pickupCount); },
     [](size_t, uint32_t v) { world.pickupCount = wholeOf(v); }, 0, kPickupSlots},
    {"pickupActive", Kind::Whole, kPickupSlots, [](size_t k) -> uint32_t { return world.pickupActive[k]; },
     [](size_t k, uint32_t v) { world.pickupActive[k] = static_cast<uint8_t>(v); }, 0, 255},
    {"pickupPlaces", Kind::Real, 3 * kPickupSlots,
     [](size_t k) { return pickupPlace(k) == nullptr ? 0 : bitsOf(*pickupPlace(k)); },
     [](size_t k, uint32_t v) {
         if (float* place = pickupPlace(k)) *place = realOf(v);
     }},
    {"pickupBoxes", Kind::Real, 6 * kPickupSlots,
     [](size_t k) { return boxValue(world.pickups[k / 6], k % 6); },
     [](size_t k, uint32_t v) { setBoxValue(world.pickups[k / 6], k % 6, v); }},
    {"rocketActive", Kind::Whole, kRocketSlots, [](size_t k) -> uint32_t { return world.rocketActive[k]; },
     [](size_t k, uint32_t v) { world.rocketActive[k] = static_cast<uint8_t>(v); }, 0, 255},
    {"rocketX", Kind::Whole, kRocketSlots, [](size_t k) { return bitsOf(world.rocketX[k]); },
     [](size_t k, uint32_t v) { world.rocketX[k] = wholeOf(v); }},
    {"rocketZ", Kind::Whole, kRocketSlots, [](size_t k) { return bitsOf(world.rocketZ[k]); },
     [](size_t k, uint32_t v) { world.rocketZ[k] = wholeOf(v); }},
    {"rocketBoxes", Kind::Real, 6 * kRocketSlots,
     [](size_t k) { return boxValue(world.rockets[k / 6], k % 6); },
     [](size_t k, uint32_t v) { setBoxValue(world.rockets[k / 6], k % 6, v); }},
};

// Where each field's values begin in a state's row.
size_t offsetOf(const Field& field) {
    size_t offset = 0;
    for (const Field& before : kFields) {
        if (&before == &field) break;
        offset += before.count;
    }
    return offset;
}

size_t valueCount() {
    size_t count = 0;
    for (const Field& field : kFields) count += field.count;
    return count;
}

void appendValue(std::string& text, Kind kind, uint32_t value) {
    char buffer[32];
    const auto written = kind == Kind::Real
                             ? std::to_chars(buffer, std::end(buffer), realOf(value))
                             : std::to_chars(buffer, std::end(buffer), wholeOf(value));
    text.append(buffer, written.ptr);
}

// One value as written, to its end; false for anything else.
bool parseValue(std::string_view token, const Field& field, uint32_t& value) {
    const char* end = token.data() + token.size();
    if (field.kind == Kind::Real) {
        float real = 0;
        const auto read = std::from_chars(token.data(), end, real);
        value = bitsOf(real);
        return read.ec == std::errc() && read.ptr == end;
    }
    int64_t whole = 0;
    const auto read = std::from_chars(token.data(), end, whole);
    value = static_cast<uint32_t>(whole);
    return read.ec == std::errc() && read.ptr == end && whole >= field.least &&
           whole <= field.most;
}

}  // namespace

RunState captureRunState() {
    RunState state;
    state.values.reserve(valueCount());
    for (const Field& field : kFields)
        for (size_t k = 0; k < field.count; ++k) state.values.push_back(field.get(k));
    return state;
}

void applyRunState(const RunState& state) {
    if (state.values.size() != valueCount()) return;
    size_t at = 0;
    for (const Field& field : kFields)
        for (size_t k = 0; k < field.count; ++k) field.set(k, state.values[at++]);
}

std::vector<std::string> differingFields(const RunState& a, const RunState& b) {
    std::vector<std::string> names;
    for (const Field& field : kFields) {
        const size_t offset = offsetOf(field);
        for (size_t k = 0; k < field.count; ++k) {
            const size_t at = offset + k;
            const bool inA = at < a.values.size(), inB = at < b.values.size();
            if (inA != inB || (inA && a.values[at] != b.values[at])) {
                names.emplace_back(field.name);
                break;
            }
        }
    }
    return names;
}

std::string runStateText(const RunState& state) {
    std::string text;
    size_t at = 0;
    for (const Field& field : kFields) {
        text += field.name;
        for (size_t k = 0; k < field.count; ++k) {
            text += ' ';
            appendValue(text, field.kind, at < state.values.size() ? state.values[at] : 0);
            ++at;
        }
        text += '\n';
    }
    return text;
}

std::optional<RunState> readRunStateLines(const std::vector<std::string_view>& lines,
                                          size_t& next, std::string& error) {
    RunState state;
    state.values.reserve(valueCount());
    for (const Field& field : kFields) {
        const std::string where = "line " + std::to_string(next + 1) + ": ";
        if (next >= lines.size()) {
            error = "the file ends before the field " + std::string(field.name);
            return std::nullopt;
        }
        std::string_view line = lines[next++];
        const std::string_view name = field.name;
        if (!line.starts_with(name) || (line.size() > name.size() && line[name.size()] != ' ')) {
            error = where + "the field " + std::string(name) + " was expected";
            return std::nullopt;
        }
        line.remove_prefix(name.size());
        for (size_t k = 0; k < field.count; ++k) {
            if (line.empty() || line[0] != ' ') {
                error = where + std::string(name) + " has fewer than " +
                        std::to_string(field.count) + " values";
                return std::nullopt;
            }
            line.remove_prefix(1);
            const std::string_view token = line.substr(0, line.find(' '));
            uint32_t value = 0;
            if (!parseValue(token, field, value)) {
                error = where + "'" + std::string(token.substr(0, 24)) + "' is not a value " +
                        std::string(name) + " can take";
                return std::nullopt;
            }
            state.values.push_back(value);
            line.remove_prefix(token.size());
        }
        if (!line.empty()) {
            error = where + std::string(name) + " has more than " + std::to_string(field.count) +
                    " values";
            return std::nullopt;
        }
    }
    return state;
}

std::optional<uint32_t> runStateValue(const RunState& state, std::string_view name) {
    for (const Field& field : kFields) {
        if (name != field.name) continue;
        const size_t at = offsetOf(field);
        if (at >= state.values.size()) return std::nullopt;
        return state.values[at];
    }
    return std::nullopt;
}
