#include "updater/platform/program_start.h"

#include <signal.h>
#include <spawn.h>

#include <cstdio>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

// `file` is what is executed; `path` is what the program is told it was
// started as, and what the reports name.
StartedProgram start(const std::string& file, const std::string& path,
                     const posix_spawn_file_actions_t* actions) {
    StartedProgram program{path, 0};
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return program;
    // The started program gets a clean signal state, whatever the updater
    // (or a library inside it) blocked or ignored.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string argument0 = path;
    char* arguments[] = {argument0.data(), nullptr};
    pid_t processId = 0;
    // The C library reports a program that could not be executed (missing,
    // not executable, not a program) here rather than in the child.
    const int error =
        posix_spawn(&processId, file.c_str(), actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        std::fprintf(stderr, "Updater: cannot start %s: %s\n", path.c_str(), std::strerror(error));
        return program;
    }
    program.processId = processId;
    return program;
}

}  // namespace

StartedProgram startProgram(const std::string& path) { return start(path, path, nullptr); }

StartedProgram startProgramFile(int descriptor, const std::string& name) {
    // The program is executed through its descriptor, which the started
    // process keeps (a script's interpreter reads the script through it).
    posix_spawn_file_actions_t actions;
    if (descriptor < 0 || posix_spawn_file_actions_init(&actions) != 0) return {name, 0};
    posix_spawn_file_actions_adddup2(&actions, descriptor, descriptor);
    const StartedProgram program =
        start("/proc/self/fd/" + std::to_string(descriptor), name, &actions);
    posix_spawn_file_actions_destroy(&actions);
    return program;
}

}  // namespace platform
