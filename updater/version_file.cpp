#include "updater/version_file.h"

#include <cstdlib>
#include <fstream>

#include "updater/platform/replacement_file.h"

std::string readVersionText(const std::string& fileName) {
    std::string text = "0";
    std::ifstream file(fileName);
    if (!file.is_open()) return text;
    // A read that starts at the end of the file empties the text before it
    // fails: that is what makes "13\n" read as "".
    while (file.good()) {
        std::getline(file, text);
        // Files written on Windows end their lines in "\r\n".
        if (!file.eof() && !text.empty() && text.back() == '\r') text.pop_back();
    }
    return text;
}

int versionValue(const std::string& text) { return std::atoi(text.c_str()); }

bool writeVersionText(const std::string& fileName, const std::string& text) {
    platform::ReplacementFile file(fileName, platform::FileAccess::Data);
    return file.write(text.data(), text.size()) && file.commit();
}
