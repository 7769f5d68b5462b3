#include "core/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/platform/file_system.h"

namespace fs = std::filesystem;

namespace {

// Far more than anyone writes by hand: a larger file is something else that
// took the name, and reading it whole would only slow the start.
constexpr size_t kLargestFile = 64 * 1024;
// Enough of a value to recognise it in a warning, which stays one short line.
constexpr size_t kLongestQuote = 40;

struct SettingKey {
    const char* name;
    bool Settings::*flag;   // null for a number
    int Settings::*number;  // null for a flag
    int least;
    int most;
};

// In the order a new file lists them.
constexpr SettingKey kKeys[] = {
    {"fullscreen", &Settings::fullScreen, nullptr, 0, 0},
    {"window_width", nullptr, &Settings::windowWidth, kMinWindowWidth, kMaxWindowSide},
    {"window_height", nullptr, &Settings::windowHeight, kMinWindowHeight, kMaxWindowSide},
    {"music_volume", nullptr, &Settings::musicVolume, 0, 100},
    {"sound_volume", nullptr, &Settings::soundVolume, 0, 100},
    {"pause_when_away", &Settings::pauseWhenAway, nullptr, 0, 0},
};
constexpr size_t kKeyCount = std::size(kKeys);

void warnAbout(std::FILE* warnings, const std::string& path, const std::string& text) {
    if (warnings == nullptr) return;
    std::fprintf(warnings, "Game: %s: %s\n", path.c_str(), text.c_str());
    std::fflush(warnings);
}

void warnAboutLine(std::FILE* warnings, const std::string& path, size_t lineNumber,
                   const std::string& text) {
    warnAbout(warnings, path + ":" + std::to_string(lineNumber), text);
}

bool isContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// UTF-8 without NUL bytes, overlong forms, surrogates or code points past U+10FFFF.
bool isText(std::string_view line) {
    for (size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        if (lead == 0) return false;
        // A lead byte tells the sequence's length; a continuation byte cannot lead.
        const size_t length = lead < 0x80   ? 1
                              : lead < 0xC0 ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                                            : 4;
        if (length == 0 || length > line.size() - i) return false;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(line[i + k]);
            if (!isContinuationByte(byte)) return false;
            point = (point << 6) | (byte & 0x3F);
        }
        constexpr char32_t kLeastOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kLeastOfLength[length] || point > 0x10FFFF) return false;
        if (point >= 0xD800 && point <= 0xDFFF) return false;
        i += length;
    }
    return true;
}

// In double quotes, cut short when long, with control characters shown as
// escapes so that a warning cannot play tricks on the terminal.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    size_t shown = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!isContinuationByte(byte) && ++shown > kLongestQuote) {
            out += "...";
            break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            if (byte == '"' || byte == '\\') out += '\\';
            out += text[i];
        }
    }
    return out + "\"";
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameWordIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool isCommentOrBlank(std::string_view text) {
    return text.empty() || text.front() == '#' || text.front() == ';';
}

struct NameAndValue {
    std::string_view name;
    std::string_view value;
};

std::optional<NameAndValue> splitSetting(std::string_view text) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const NameAndValue setting{trimmed(text.substr(0, equals)), trimmed(text.substr(equals + 1))};
    if (setting.name.empty()) return std::nullopt;
    return setting;
}

const SettingKey* keyNamed(std::string_view name) {
    for (const SettingKey& key : kKeys) {
        if (sameWordIgnoringCase(name, key.name)) return &key;
    }
    return nullptr;
}

// The setting a line sets, also when its value is bad: the line is that
// setting's own and is rewritten with it.
const SettingKey* keyOfLine(std::string_view line) {
    if (!isText(line)) return nullptr;
    const std::string_view text = trimmed(line);
    if (isCommentOrBlank(text)) return nullptr;
    const auto setting = splitSetting(text);
    return setting ? keyNamed(setting->name) : nullptr;
}

std::optional<bool> flagValue(std::string_view text) {
    for (const char* word : {"true", "yes", "on", "1"}) {
        if (sameWordIgnoringCase(text, word)) return true;
    }
    for (const char* word : {"false", "no", "off", "0"}) {
        if (sameWordIgnoringCase(text, word)) return false;
    }
    return std::nullopt;
}

// Digits only: a sign, a space or anything after the digits makes it no number.
std::optional<int> numberValue(std::string_view text, int least, int most) {
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        // Held just past the range, so that any number of digits cannot overflow.
        value = std::min(value * 10 + (c - '0'), static_cast<long long>(most) + 1);
    }
    if (value < least || value > most) return std::nullopt;
    return static_cast<int>(value);
}

// Why the line is ignored; empty when it was used or says nothing.
std::string applyLine(std::string_view line, Settings& settings) {
    if (!isText(line)) return "not text (a NUL byte or invalid UTF-8), line ignored";
    const std::string_view text = trimmed(line);
    if (isCommentOrBlank(text)) return {};
    const auto setting = splitSetting(text);
    if (!setting) return "expected \"name = value\", " + quoted(text) + " ignored";
    const SettingKey* key = keyNamed(setting->name);
    if (key == nullptr) return "unknown setting " + quoted(setting->name) + " ignored";
    const std::string bad = quoted(setting->value) + " ignored";
    if (key->flag != nullptr) {
        const auto value = flagValue(setting->value);
        if (!value) return std::string(key->name) + " must be true or false, " + bad;
        settings.*key->flag = *value;
        return {};
    }
    const auto value = numberValue(setting->value, key->least, key->most);
    if (!value) {
        return std::string(key->name) + " must be " + std::to_string(key->least) + " to " +
               std::to_string(key->most) + ", " + bad;
    }
    settings.*key->number = *value;
    return {};
}

std::vector<std::string> splitLines(const std::string& content) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (line.ends_with('\r')) line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Why nothing could be opened at `path`; empty when there is simply no file.
std::string whyNotOpened(const std::string& path, int openError) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    switch (status.type()) {
        case fs::file_type::not_found: return {};
        case fs::file_type::directory: return "a folder, not a file";
        case fs::file_type::fifo: return "a pipe, not a file";
        case fs::file_type::block:
        case fs::file_type::character: return "a device, not a file";
        case fs::file_type::socket: return "a socket, not a file";
        case fs::file_type::regular:
            return openError != 0 ? std::strerror(openError) : "could not be opened";
        default: return error ? error.message() : "not a regular file";
    }
}

std::string settingLine(const SettingKey& key, const Settings& values) {
    const std::string value = key.flag != nullptr ? (values.*key.flag ? "true" : "false")
                                                  : std::to_string(values.*key.number);
    return std::string(key.name) + " = " + value;
}

Settings withinRanges(Settings values) {
    for (const SettingKey& key : kKeys) {
        if (key.number != nullptr)
            values.*key.number = std::clamp(values.*key.number, key.least, key.most);
    }
    return values;
}

std::vector<std::string> rewrittenLines(const std::vector<std::string>& old,
                                        const Settings& values) {
    std::vector<std::string> lines;
    if (old.empty()) lines.push_back("# Vorlune settings");
    bool written[kKeyCount] = {};
    for (const std::string& line : old) {
        const SettingKey* key = keyOfLine(line);
        if (key == nullptr) {
            lines.push_back(line);
            continue;
        }
        const size_t index = static_cast<size_t>(key - kKeys);
        // A later line of the same setting would only contradict the one just written.
        if (written[index]) continue;
        written[index] = true;
        lines.push_back(settingLine(*key, values));
    }
    for (size_t index = 0; index < kKeyCount; ++index) {
        if (!written[index]) lines.push_back(settingLine(kKeys[index], values));
    }
    return lines;
}

// Makes the folders that are missing, for the player's eyes only as XDG asks
// of the folders it names. Empty when they are all there, or else why not.
std::string makeFolders(const fs::path& folder) {
    fs::path reached;
    for (const fs::path& name : folder) {
        reached /= name;
        std::error_code error;
        if (fs::is_directory(reached, error)) continue;
        fs::create_directory(reached, error);
        if (error) return "cannot make the folder " + reached.string() + ": " + error.message();
        fs::permissions(reached, fs::perms::owner_all, error);
    }
    return {};
}

}  // namespace

std::string settingsFilePath(const char* xdgConfigHome, const char* home) {
    // Relative paths in these variables are invalid and to be ignored.
    if (xdgConfigHome != nullptr && fs::path(xdgConfigHome).is_absolute())
        return (fs::path(xdgConfigHome) / "vorlune" / "settings.ini").string();
    if (home != nullptr && fs::path(home).is_absolute())
        return (fs::path(home) / ".config" / "vorlune" / "settings.ini").string();
    return {};
}

SettingsFile readSettingsFile(const std::string& path, std::FILE* warnings) {
    SettingsFile file;
    file.path = path;
    const auto refuse = [&](const std::string& reason) {
        warnAbout(warnings, path,
                  "cannot read settings (" + reason +
                      "); the defaults are used and the file is left as it is");
        file.writable = false;
        return file;
    };
    if (path.empty()) {
        warnAbout(warnings, "settings.ini",
                  "neither XDG_CONFIG_HOME nor HOME names a folder: the defaults are used and "
                  "settings are not kept");
        file.writable = false;
        return file;
    }

    // A pipe or a device of this name must not hold up the start, so only a
    // regular file is opened.
    errno = 0;
    std::FILE* stream = platform::openRegularFile(path.c_str());
    const int openError = errno;
    if (stream == nullptr) {
        const std::string reason = whyNotOpened(path, openError);
        if (reason.empty()) return file;
        return refuse(reason);
    }
    std::string content(kLargestFile + 1, '\0');
    const size_t size = std::fread(content.data(), 1, content.size(), stream);
    const int readError = std::ferror(stream) ? errno : 0;
    std::fclose(stream);
    if (readError != 0) return refuse(std::strerror(readError));
    if (size > kLargestFile) return refuse("larger than 64 KiB");
    content.resize(size);

    file.lines = splitLines(content);
    for (size_t i = 0; i < file.lines.size(); ++i) {
        const std::string problem = applyLine(file.lines[i], file.values);
        if (!problem.empty()) warnAboutLine(warnings, path, i + 1, problem);
    }
    return file;
}

bool writeSettingsFile(SettingsFile& file, const Settings& values, std::FILE* warnings) {
    const auto fail = [&](const std::string& reason) {
        warnAbout(warnings, file.path.empty() ? "settings.ini" : file.path,
                  "settings not saved: " + reason);
        return false;
    };
    if (file.path.empty()) return fail("neither XDG_CONFIG_HOME nor HOME names a folder");
    if (!file.writable) return fail("the file could not be read as settings, so it is left alone");

    const Settings kept = withinRanges(values);
    std::vector<std::string> lines = rewrittenLines(file.lines, kept);
    if (std::string reason = makeFolders(fs::path(file.path).parent_path()); !reason.empty())
        return fail(reason);
    std::string content;
    for (const std::string& line : lines) content += line + '\n';
    if (!platform::replaceFile(file.path.c_str(), content))
        return fail("the file cannot be written");
    file.lines = std::move(lines);
    file.values = kept;
    return true;
}
