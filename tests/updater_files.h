#pragma once
// Files and stand-in programs for the updater's tests, in the working folder.

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A shell script that appends the name of what it stands in for to "ran.txt"
// (its own $0 need not be that name: an installer is started by its file).
inline std::string standInScript(const std::string& name) {
    return "#!/bin/sh\necho " + name + " >> ran.txt\n";
}

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

// Watches the working folder for what happens in it, in the kernel's order
// and so free of any race: files opened ("opened update.exe"; starting a
// program opens it) and files moved into place ("moved in version.txt").
inline int watchFolder() {
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch >= 0) inotify_add_watch(watch, ".", IN_OPEN | IN_MOVED_TO);
    return watch;
}

// What happened since the watch began; closes the watch.
inline std::vector<std::string> folderEvents(int watch) {
    std::vector<std::string> seen;
    alignas(inotify_event) char buffer[4096];
    ssize_t got = 0;
    while (watch >= 0 && (got = read(watch, buffer, sizeof buffer)) > 0) {
        for (const char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0) {
                seen.push_back((event->mask & IN_OPEN ? "opened " : "moved in ") +
                               std::string(event->name));
            }
            at += sizeof(inotify_event) + event->len;
        }
    }
    if (watch >= 0) close(watch);
    return seen;
}
