#include "gameplay/replay_file.h"

#include <algorithm>
#include <charconv>

#include "core/game_world.h"
#include "core/platform/file_system.h"
#include "core/platform/window_system.h"

namespace {

constexpr std::string_view kMagic = "vorlune replay ";

struct KeyName {
    uint32_t input;
    const char* name;
};

const KeyName kKeyNames[] = {
    {platform::kKeyLeft, "left"},     {platform::kKeyRight, "right"}, {platform::kKeyUp, "up"},
    {platform::kKeyDown, "down"},     {platform::kKeySpace, "space"}, {platform::kKeyEscape, "escape"},
    {platform::kKeyEnter, "enter"},   {platform::kKeyF1, "f1"},       {platform::kKeyF2, "f2"},
    {platform::kKeyF3, "f3"},         {platform::kKeyOther, "other"}, {kInputWindowClosed, "close"},
};

std::string inputName(uint32_t input) {
    for (const KeyName& key : kKeyNames)
        if (key.input == input) return key.name;
    return std::to_string(input);
}

// A named input, or any other key code (below 256) in decimal.
std::optional<uint32_t> inputOf(std::string_view name) {
    for (const KeyName& key : kKeyNames)
        if (name == key.name) return key.input;
    uint32_t code = 0;
    const auto read = std::from_chars(name.data(), name.data() + name.size(), code);
    if (read.ec != std::errc() || read.ptr != name.data() + name.size() || code > 0xFF)
        return std::nullopt;
    return code;
}

// Decimal digits only, to their end, within 32 bits.
std::optional<uint32_t> countOf(std::string_view text) {
    uint32_t count = 0;
    if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), count);
    if (read.ec != std::errc() || read.ptr != text.data() + text.size()) return std::nullopt;
    return count;
}

// Reads one replay's lines in order, stopping at the first fault.
class ReplayReader {
public:
    ReplayReader(std::vector<std::string_view> lines, std::string& error)
        : lines_(std::move(lines)), error_(error) {}

    std::optional<Replay> read() {
        Replay replay;
        const std::optional<uint32_t> seed = numberAfter("seed");
        const std::optional<uint32_t> passes = seed ? numberAfter("passes") : std::nullopt;
        if (!passes || !word("start")) return std::nullopt;
        replay.seed = *seed;
        replay.passes = *passes;
        std::optional<RunState> start = readRunStateLines(lines_, next_, error_);
        if (!start) return std::nullopt;
        replay.start = std::move(*start);
        if (runStateValue(replay.start, "mode") != static_cast<uint32_t>(GameMode::Playing)) {
            error_ = "the run does not start in play";
            return std::nullopt;
        }
        const std::optional<uint32_t> inputs = numberAfter("inputs");
        if (!inputs) return std::nullopt;
        // Each input takes a line: more than the file has cannot be there.
        if (*inputs > kMostReplayInputs || *inputs > lines_.size() - next_) {
            error_ = "line " + std::to_string(next_) + ": more inputs than the file holds";
            return std::nullopt;
        }
        replay.inputs.reserve(*inputs);
        for (uint32_t i = 0; i < *inputs; ++i) {
            std::optional<ReplayInput> input = inputLine(replay);
            if (!input) return std::nullopt;
            replay.inputs.push_back(*input);
        }
        if (!word("end")) return std::nullopt;
        std::optional<RunState> end = readRunStateLines(lines_, next_, error_);
        if (!end) return std::nullopt;
        replay.end = std::move(*end);
        if (next_ != lines_.size()) {
            error_ = "line " + std::to_string(next_ + 1) + ": more follows the end state";
            return std::nullopt;
        }
        return replay;
    }

private:
    // The next line, or nothing (and the error) where the file ends.
    std::optional<std::string_view> line(const char* expected) {
        if (next_ < lines_.size()) return lines_[next_++];
        error_ = std::string("the file ends before ") + expected;
        return std::nullopt;
    }
    bool fail(const std::string& what) {
        error_ = "line " + std::to_string(next_) + ": " + what;
        return false;
    }
    bool word(const char* expected) {
        const std::optional<std::string_view> text = line(expected);
        return text && (*text == expected || fail(std::string("'") + expected + "' was expected"));
    }
    std::optional<uint32_t> numberAfter(const std::string& name) {
        const std::optional<std::string_view> text = line(name.c_str());
        if (!text) return std::nullopt;
        std::optional<uint32_t> number;
        if (text->starts_with(name + " ")) number = countOf(text->substr(name.size() + 1));
        if (!number) fail("'" + name + " <number>' was expected");
        return number;
    }
    std::optional<ReplayInput> inputLine(const Replay& replay) {
        const std::optional<std::string_view> text = line("the last input");
        if (!text) return std::nullopt;
        const size_t space = text->find(' ');
        const std::optional<uint32_t> pass =
            space == std::string_view::npos ? std::nullopt : countOf(text->substr(0, space));
        const std::optional<uint32_t> input =
            pass ? inputOf(text->substr(space + 1)) : std::nullopt;
        if (!input) {
            fail("'<frame> <key>' was expected");
            return std::nullopt;
        }
        // Taken in order, each before a frame of the run or after its last.
        const bool inOrder = replay.inputs.empty() || *pass >= replay.inputs.back().pass;
        if (!inOrder || *pass > replay.passes) {
            fail("frame " + std::to_string(*pass) + " is out of order or beyond the run");
            return std::nullopt;
        }
        return ReplayInput{*pass, *input};
    }

    std::vector<std::string_view> lines_;  // the first one, read already, is line 1
    size_t next_ = 1;
    std::string& error_;
};

}  // namespace

std::string replayText(const Replay& replay) {
    std::string text = std::string(kMagic) + std::to_string(kReplayFormat) + "\n";
    text += "seed " + std::to_string(replay.seed) + "\n";
    text += "passes " + std::to_string(replay.passes) + "\n";
    text += "start\n" + runStateText(replay.start);
    text += "inputs " + std::to_string(replay.inputs.size()) + "\n";
    for (const ReplayInput& input : replay.inputs)
        text += std::to_string(input.pass) + " " + inputName(input.input) + "\n";
    text += "end\n" + runStateText(replay.end);
    return text;
}

std::optional<Replay> parseReplay(std::string_view text, std::string& error) {
    const size_t firstEnd = text.find('\n');
    const std::string_view first = text.substr(0, firstEnd);
    if (!first.starts_with(kMagic)) {
        error = "not a replay of this game";
        return std::nullopt;
    }
    const std::optional<uint32_t> format = countOf(first.substr(kMagic.size()));
    if (!format || *format == 0) {
        error = "line 1: no replay format number";
        return std::nullopt;
    }
    if (*format > kReplayFormat) {
        error = "made by a newer version of the game (replay format " + std::to_string(*format) +
                "; this one reads format " + std::to_string(kReplayFormat) + ")";
        return std::nullopt;
    }
    if (text.empty() || text.back() != '\n') {
        error = "the file ends in the middle of a line";
        return std::nullopt;
    }
    // Beyond the inputs, a replay has a few dozen lines of its own.
    if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) > kMostReplayInputs + 100) {
        error = "more lines than any replay has";
        return std::nullopt;
    }
    std::vector<std::string_view> lines{first};
    for (size_t from = firstEnd + 1; from < text.size();) {
        const size_t end = text.find('\n', from);
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return ReplayReader(std::move(lines), error).read();
}

std::optional<Replay> readReplayFile(const std::string& name, std::string& error) {
    const std::optional<std::string> text =
        platform::readWholeRegularFile(name.c_str(), kLargestReplayFile);
    if (!text) {
        error = "not a readable file of at most " + std::to_string(kLargestReplayFile >> 20) +
                " MiB";
        return std::nullopt;
    }
    return parseReplay(*text, error);
}
