#pragma once
// Files and stand-in programs for the launcher's tests, in the working folder.

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

inline void writeFile(const std::string& name, const std::string& content) {
    std::ofstream(name, std::ios::binary) << content;
}

// Nothing when the file is absent.
inline std::optional<std::string> readFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// A shell script that appends the name it was started by to "ran.txt".
inline std::string standInScript() { return "#!/bin/sh\necho \"$0\" >> ran.txt\n"; }

inline void writeProgram(const std::string& name, const std::string& script) {
    writeFile(name, script);
    chmod(name.c_str(), 0755);
}

inline bool isExecutable(const std::string& name) {
    struct stat status {};
    return stat(name.c_str(), &status) == 0 && (status.st_mode & S_IXUSR) != 0;
}

// Waits for a started stand-in to finish, so that what it recorded is there.
inline void reap(pid_t processId) {
    if (processId > 0) waitpid(processId, nullptr, 0);
}

// Every file of the working folder, to catch temporary files left behind.
inline std::vector<std::string> folderEntries() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
