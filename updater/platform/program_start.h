#pragma once
// Starting a program of the game folder the way the shell's "open" does for
// an executable: by its path, in the current folder, without a shell and
// without waiting for it to end.

#include <sys/types.h>

#include <string>

namespace platform {

struct StartedProgram {
    std::string path;
    pid_t processId = 0;  // 0 when it was not started
    bool started() const { return processId > 0; }
};

// Starts `path` with no arguments and the updater's environment. Whoever
// holds the process id may reap the program; the updater itself never waits.
StartedProgram startProgram(const std::string& path);

// Starts the program open read-only at `descriptor`, the very file, whatever
// its name has come to stand for meanwhile; `name` is what it is told it
// was started as.
StartedProgram startProgramFile(int descriptor, const std::string& name);

}  // namespace platform
