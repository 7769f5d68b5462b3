// Start-up: from the moment the process is started to the first menu frame
// presented, and the peak resident memory, over several fresh processes.
// The program starts itself again as the measured child, which runs the
// game's entry point and reports, through a pipe, the monotonic time of each
// milestone (the clock is the same in both processes).
//
//   bench_startup [GAME_FOLDER] [--runs N]

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "frame_start_clock.h"
#include "vorlune.h"

extern char** environ;

namespace {

// What the child reports, in ms on the monotonic clock.
struct Milestones {
    double mainEntered = 0;
    double loaded = 0;          // start-up loading, with its loading screen, done
    double firstMenuFrame = 0;  // the first menu frame presented
    double peakMbAtMenu = 0;
    double peakMbAfterTwoSeconds = 0;
};

// The real entry point, runGame. The first frame start marks the end of
// start-up loading; the second, that the first menu frame was presented.
int runChild(int reportFd) {
    Milestones times;
    times.mainEntered = bench::wallMs();
    bench::FrameStartClock clock(platform::clock());
    platform::installClock(&clock);
    bool reported = false;
    clock.onFrameStart = [&](const bench::FrameStart&) {
        const double now = bench::wallMs();
        if (clock.starts.size() == 1) {
            times.loaded = clock.starts.front().wall;
        } else if (clock.starts.size() == 2) {
            times.firstMenuFrame = now;
            times.peakMbAtMenu = bench::peakResidentMb();
        } else if (!reported && now - times.firstMenuFrame >= 2000.0) {
            times.peakMbAfterTwoSeconds = bench::peakResidentMb();
            reported = write(reportFd, &times, sizeof times) == static_cast<ssize_t>(sizeof times);
            kill(getpid(), SIGTERM);  // closes the game's window
        }
    };
    const int exitCode = runGame();
    platform::installClock(nullptr);
    return reported ? exitCode : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) return runChild(std::atoi(argv[2]));

    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[++i]);
    }
    bench::GameFolder folder(bench::distDirFrom(argc, argv));
    const std::string self = "/proc/self/exe";
    std::string me(4096, '\0');
    const ssize_t length = readlink(self.c_str(), me.data(), me.size() - 1);
    if (length <= 0) return 1;
    me.resize(static_cast<size_t>(length));

    std::vector<double> toMain, toLoaded, toMenu, peakMenu, peakLater;
    for (int run = 0; run < runs; ++run) {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        const std::string fd = std::to_string(fds[1]);
        char* arguments[] = {me.data(), const_cast<char*>("--child"), const_cast<char*>(fd.c_str()),
                             nullptr};
        const double start = bench::wallMs();
        pid_t pid = 0;
        if (posix_spawn(&pid, me.c_str(), nullptr, nullptr, arguments, environ) != 0) return 1;
        close(fds[1]);
        Milestones times;
        const ssize_t got = read(fds[0], &times, sizeof times);
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (got != static_cast<ssize_t>(sizeof times)) {
            std::fprintf(stderr, "start-up run %d failed\n", run);
            return 1;
        }
        toMain.push_back(times.mainEntered - start);
        toLoaded.push_back(times.loaded - start);
        toMenu.push_back(times.firstMenuFrame - start);
        peakMenu.push_back(times.peakMbAtMenu);
        peakLater.push_back(times.peakMbAfterTwoSeconds);
    }

    bench::Table table("Start-up: " + std::to_string(runs) +
                           " fresh processes, ms from process start (spawn) to each step",
                       {"step", "median", "min", "max"});
    auto row = [&](const char* name, const std::vector<double>& samples, int decimals) {
        const bench::Stats s = bench::statsOf(samples);
        table.add({name, bench::fixed(s.median, decimals), bench::fixed(s.min, decimals),
                   bench::fixed(s.max, decimals)});
        return s;
    };
    row("main() entered (exec, libraries, static init)", toMain, 1);
    row("window, music and start-up loading done", toLoaded, 1);
    const bench::Stats menu = row("first menu frame presented", toMenu, 1);
    row("peak resident MB at the first menu frame", peakMenu, 1);
    const bench::Stats later = row("peak resident MB after 2 s of menu", peakLater, 1);
    table.print();
    bench::record("startup.first_menu_ms", menu.median);
    bench::record("startup.first_menu_ms_max", menu.max);
    bench::record("startup.peak_mb", later.max);
    return 0;
}
