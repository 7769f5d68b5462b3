// Pacing: the real main loop (runGame), with its real clock and the music
// playing, for ten seconds in the menu, as the game runs after start-up.
// Records when each frame starts, how the loop waits, and what the whole
// process spends.
//
//   bench_pacing [GAME_FOLDER] [--seconds S] [--game PATH_TO_GAME]
//
// With --game it also starts that program (the real Game) from a copy of the
// game folder and samples its CPU time and memory from /proc over the same span.

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "frame_start_clock.h"
#include "vorlune.h"

extern char** environ;

namespace {

struct Options {
    double seconds = 10.0;
    std::string game;
};

Options optionsFrom(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            options.seconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--game") == 0)
            options.game = argv[++i];
    }
    return options;
}

double processCpuMsOf(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct ExternalRun {
    bool ran = false;
    double cpuPercent = 0, peakMb = 0;
};

// The real Game in a copy of the game folder: CPU over the span after two
// seconds of start-up, then its peak resident memory, then SIGTERM (which
// the game takes as a close of its window).
ExternalRun sampleGame(const std::string& game, const std::string& distDir, double seconds) {
    ExternalRun run;
    bench::GameFolder folder(distDir);
    pid_t pid = 0;
    char* arguments[] = {const_cast<char*>(game.c_str()), nullptr};
    if (posix_spawn(&pid, game.c_str(), nullptr, nullptr, arguments, environ) != 0) return run;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double cpu0 = processCpuMsOf(pid), wall0 = bench::wallMs();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double cpu1 = processCpuMsOf(pid), wall1 = bench::wallMs();
    run.peakMb = bench::peakResidentMb(pid);
    run.cpuPercent = 100.0 * (cpu1 - cpu0) / (wall1 - wall0);
    run.ran = cpu1 > 0;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = optionsFrom(argc, argv);
    const std::string distDir = bench::distDirFrom(argc, argv);

    ExternalRun external;
    if (!options.game.empty()) external = sampleGame(options.game, distDir, options.seconds);

    bench::GameFolder folder(distDir);
    bench::FrameStartClock clock(platform::clock());
    platform::installClock(&clock);

    // A second to settle after the first menu frame, then the measured span;
    // then the player's session ends (SIGTERM closes the game's window).
    const double settleMs = 1000.0, spanMs = options.seconds * 1000.0;
    double firstStart = -1;
    std::vector<bench::ThreadCpu> threads0, threads1;
    // The whole machine's CPU, ours, and the X server's.
    double busy0 = 0, busy1 = 0, ours0 = 0, ours1 = 0, server0 = 0, server1 = 0;
    std::atomic<bool> spanOver{false};
    clock.onFrameStart = [&](const bench::FrameStart& start) {
        if (firstStart < 0) firstStart = start.wall;
        const double since = start.wall - firstStart;
        if (threads0.empty() && since >= settleMs) {
            threads0 = bench::threadCpuTimes();
            busy0 = bench::machineBusyMs();
            ours0 = bench::processCpuMs();
            server0 = bench::xServerCpuMs();
        }
        if (threads1.empty() && since >= settleMs + spanMs) {
            threads1 = bench::threadCpuTimes();
            busy1 = bench::machineBusyMs();
            ours1 = bench::processCpuMs();
            server1 = bench::xServerCpuMs();
            spanOver = true;
        }
    };
    std::thread closer([&spanOver] {
        pthread_setname_np(pthread_self(), "bench-closer");
        while (!spanOver) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        kill(getpid(), SIGTERM);
    });
    const int exitCode = runGame();
    closer.join();
    platform::installClock(nullptr);
    if (exitCode != 0 || threads1.empty()) {
        std::fprintf(stderr, "the game did not run its menu to the end of the span\n");
        return 1;
    }
    const double peakMb = bench::peakResidentMb();

    // The frames whose starts fall in the span.
    std::vector<double> starts;
    const bench::FrameStart* first = nullptr;
    const bench::FrameStart* last = nullptr;
    for (const bench::FrameStart& start : clock.starts) {
        const double since = start.wall - firstStart;
        if (since < settleMs || since > settleMs + spanMs) continue;
        if (first == nullptr) first = &start;
        last = &start;
        starts.push_back(start.wall);
    }
    const double wall = last->wall - first->wall;
    const double cpu = last->processCpu - first->processCpu;
    const double frames = static_cast<double>(starts.size() - 1);
    const long faults = last->faults - first->faults;
    const long switches = last->switches - first->switches;
    const long sleeps = last->sleeps - first->sleeps;
    const bool serverKnown = server0 >= 0;
    const double server = serverKnown ? server1 - server0 : 0;
    const double others = std::max(0.0, (busy1 - busy0) - (ours1 - ours0) - server);

    std::vector<double> intervals;
    for (size_t i = 1; i < starts.size(); ++i) intervals.push_back(starts[i] - starts[i - 1]);
    const bench::Stats s = bench::statsOf(intervals);
    size_t over18 = 0;
    for (double interval : intervals) over18 += interval > 18.0 ? 1 : 0;

    bench::Table table("Pacing: the real main loop (runGame) in the menu with music, " +
                           bench::fixed(wall / 1000.0, 1) + " s, " +
                           std::to_string(intervals.size()) + " frames (ms between frame starts)",
                       {"measure", "value"});
    table.add({"interval mean", bench::fixed(s.mean, 3)});
    table.add({"interval p50", bench::fixed(s.median, 3)});
    table.add({"interval p99", bench::fixed(s.p99, 3)});
    table.add({"interval min / max", bench::fixed(s.min, 3) + " / " + bench::fixed(s.max, 3)});
    table.add({"intervals > 18 ms", std::to_string(over18)});
    table.add({"frames per second", bench::fixed(frames * 1000.0 / wall, 2)});
    table.add({"process CPU ms per frame", bench::fixed(cpu / frames, 3)});
    table.add({"process CPU % of one core", bench::fixed(100.0 * cpu / wall, 1)});
    table.add({"1 ms sleeps per frame", bench::fixed(sleeps / frames, 2)});
    table.add({"voluntary context switches per frame", bench::fixed(switches / frames, 2)});
    table.add({"page faults per frame", bench::fixed(faults / frames, 2)});
    table.add({"peak resident memory (VmHWM) MB", bench::fixed(peakMb, 1)});
    table.add(
        {"X server CPU % of one core", serverKnown ? bench::fixed(100.0 * server / wall, 1) : "?"});
    table.add({"other processes' CPU % of one core", bench::fixed(100.0 * others / wall, 1)});
    double mainThreadMs = 0;
    for (const bench::ThreadCpu& thread : threads1) {
        double before = 0;
        for (const bench::ThreadCpu& old : threads0)
            if (old.tid == thread.tid) before = old.cpuMs;
        const double perFrame = (thread.cpuMs - before) / frames;
        if (thread.tid == getpid()) mainThreadMs = thread.cpuMs - before;
        if (perFrame < 0.005) continue;
        table.add({"  thread " + thread.name + " CPU ms per frame", bench::fixed(perFrame, 3)});
    }
    table.add({"main thread CPU % of one core (it does the waiting)",
               bench::fixed(100.0 * mainThreadMs / wall, 1)});
    if (external.ran) {
        table.add({"Game binary: process CPU % of one core", bench::fixed(external.cpuPercent, 1)});
        table.add({"Game binary: CPU ms per frame at this rate",
                   bench::fixed(external.cpuPercent / 100.0 * wall / frames, 3)});
        table.add({"Game binary: peak resident memory MB", bench::fixed(external.peakMb, 1)});
    }
    table.print();

    bench::record("pacing.mean", s.mean);
    bench::record("pacing.p50", s.median);
    bench::record("pacing.p99", s.p99);
    bench::record("pacing.max", s.max);
    bench::record("pacing.fps", frames * 1000.0 / wall);
    bench::record("pacing.cpu_per_frame", cpu / frames);
    bench::record("pacing.cpu_percent", 100.0 * cpu / wall);
    bench::record("pacing.faults", faults / frames);
    bench::record("pacing.peak_mb", peakMb);
    // The thread that waits: a busy wait would keep it near 100 %.
    bench::record("pacing.main_thread_percent", 100.0 * mainThreadMs / wall);
    if (external.ran) {
        bench::record("game.cpu_percent", external.cpuPercent);
        bench::record("game.peak_mb", external.peakMb);
    }
    return 0;
}
