#include "updater/version_file.h"

#include <cstdio>
#include <fstream>
#include <istream>
#include <sstream>

#include "core/platform/file_system.h"
#include "gameplay/number_text.h"

namespace {

// A version is a short number: longer lines keep only their start, so a
// broken download of any size takes little memory.
constexpr size_t kLongestLine = 4096;

// std::getline, but keeping at most kLongestLine characters of the line.
void readLine(std::istream& file, std::string& text) {
    text.clear();
    std::streambuf& buffer = *file.rdbuf();
    for (bool tookAny = false;; tookAny = true) {
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof()) {
            file.setstate(tookAny ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
            return;
        }
        if (c == '\n') return;
        if (text.size() < kLongestLine) text.push_back(static_cast<char>(c));
    }
}

// Exactly what the file holds; nothing when it does not open.
std::optional<std::string> wholeFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open()) return std::nullopt;
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

}  // namespace

std::string readVersionText(const std::string& fileName) {
    std::string text = "0";
    std::ifstream file(fileName);
    if (!file.is_open()) return text;
    // A read that starts at the end of the file empties the text before it
    // fails: that is what makes "13\n" read as "".
    while (file.good()) {
        readLine(file, text);
        // Files written on Windows end their lines in "\r\n".
        if (!file.eof() && !text.empty() && text.back() == '\r') text.pop_back();
    }
    return text;
}

// atoi's result is undefined when the number does not fit; the game's own
// reading holds it at the ends of the range instead.
int versionValue(const std::string& text) { return integerText(text); }

bool writeVersionText(const std::string& fileName, const std::string& text) {
    return platform::replaceFile(fileName.c_str(), text);
}

ReplacedVersion recordVersion(const std::string& fileName, const std::string& text) {
    ReplacedVersion replaced{fileName, false, wholeFile(fileName)};
    replaced.recorded = writeVersionText(fileName, text);
    return replaced;
}

void takeBackVersion(const ReplacedVersion& replaced) {
    // A record that was never written has nothing to undo, and whatever
    // stands in its place is not ours to remove.
    if (!replaced.recorded) return;
    if (replaced.previous) {
        writeVersionText(replaced.fileName, *replaced.previous);
    } else {
        std::remove(replaced.fileName.c_str());
    }
}
