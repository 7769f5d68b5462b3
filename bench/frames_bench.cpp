// Frame cost: each frame function of the game, run on the real OpenGL device
// in a window the size of the screen, first back to back (no pacing sleep)
// frame by frame, then paced by the main loop's own wait for a few seconds.
//
//   bench_frames [GAME_FOLDER] [--frames N] [--paced-seconds S] [--only NAME]
//                [--default-heap]
//
// --default-heap leaves out the heap settings the game makes at start-up, to
// show what they save.

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "bench_support.h"
#include "game_screens.h"
#include "vorlune.h"

namespace {

struct Options {
    int frames = 1200;
    double pacedSeconds = 6.0;
    std::string only;          // run only the frame functions whose name holds this
    bool defaultHeap = false;  // leave glibc's heap thresholds as they are
};

Options optionsFrom(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--default-heap") == 0) options.defaultHeap = true;
        if (i + 1 == argc) break;
        if (std::strcmp(argv[i], "--frames") == 0)
            options.frames = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--paced-seconds") == 0)
            options.pacedSeconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--only") == 0)
            options.only = argv[++i];
    }
    if (options.frames < 1000) options.frames = 1000;
    return options;
}

struct Measured {
    bench::Stats wall, cpu, mainThread;
    double faultsPerFrame = 0;
    double pacedFps = 0, pacedCpuPerFrame = 0, pacedFaultsPerFrame = 0;
    // Over the whole run, % of one core: the X server's CPU, and that of
    // every other process but ours (negative when the server is unknown).
    double xServerPercent = -1, othersPercent = 0;
};

Measured measure(const bench::Scenario& scenario, const Options& options) {
    const double busy0 = bench::machineBusyMs(), ours0 = bench::processCpuMs();
    const double server0 = bench::xServerCpuMs();
    const double start = bench::wallMs();
    scenario.prepare();
    for (int i = 0; i < 120; ++i) {  // warm-up: caches, glyphs, driver buffers
        scenario.betweenFrames(i);
        scenario.frame();
    }

    std::vector<double> wall, cpu, mainThread;
    long faults = 0;
    for (int i = 0; i < options.frames; ++i) {
        bench::takeOneMessage();
        scenario.betweenFrames(i);
        const long faults0 = bench::pageFaults();
        const double wall0 = bench::wallMs(), cpu0 = bench::processCpuMs();
        const double thread0 = bench::threadCpuMs();
        scenario.frame();
        const double thread1 = bench::threadCpuMs();
        const double wall1 = bench::wallMs(), cpu1 = bench::processCpuMs();
        faults += bench::pageFaults() - faults0;
        wall.push_back(wall1 - wall0);
        cpu.push_back(cpu1 - cpu0);
        mainThread.push_back(thread1 - thread0);
    }

    Measured result;
    result.wall = bench::statsOf(wall);
    result.cpu = bench::statsOf(cpu);
    result.mainThread = bench::statsOf(mainThread);
    result.faultsPerFrame = static_cast<double>(faults) / options.frames;

    // Paced as the game runs: the main loop's wait, then the frame; the
    // between-frames step still runs but is part of the figures here.
    MainLoop loop;
    scenario.prepare();
    for (int i = 0; i < 60; ++i) {
        waitForFrameStart(loop);
        scenario.betweenFrames(i);
        scenario.frame();
    }
    const long faults0 = bench::pageFaults();
    const double wall0 = bench::wallMs(), cpu0 = bench::processCpuMs();
    int frames = 0;
    while (bench::wallMs() - wall0 < options.pacedSeconds * 1000.0) {
        bench::takeOneMessage();
        waitForFrameStart(loop);
        scenario.betweenFrames(frames);
        scenario.frame();
        ++frames;
    }
    const double pacedWall = bench::wallMs() - wall0, cpuSpent = bench::processCpuMs() - cpu0;
    result.pacedFps = frames * 1000.0 / pacedWall;
    result.pacedCpuPerFrame = cpuSpent / frames;
    result.pacedFaultsPerFrame = static_cast<double>(bench::pageFaults() - faults0) / frames;
    const double span = bench::wallMs() - start;
    const double server = server0 < 0 ? 0 : bench::xServerCpuMs() - server0;
    const double others =
        (bench::machineBusyMs() - busy0) - (bench::processCpuMs() - ours0) - server;
    result.othersPercent = std::max(0.0, 100.0 * others / span);
    if (server0 >= 0) result.xServerPercent = 100.0 * server / span;
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = optionsFrom(argc, argv);
    // The heap settings the game's entry point (runGame) makes first.
    if (!options.defaultHeap) {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    }
    bench::GameFolder folder(bench::distDirFrom(argc, argv));

    // As the entry point does, less the music: only the frames are measured here.
    platform::WindowHandle window = createGameWindow(world.screenWidth, world.screenHeight);
    if (window == nullptr || !loadGame(window)) {
        std::fprintf(stderr, "the game could not start\n");
        return 1;
    }

    const std::vector<bench::Scenario> scenarios = bench::gameScenarios();

    bench::Table table(
        "Frame cost: " + std::to_string(world.screenWidth) + "x" +
            std::to_string(world.screenHeight) + ", " + std::to_string(options.frames) +
            " frames back to back, then paced for " + bench::fixed(options.pacedSeconds, 0) +
            " s (ms; CPU = whole process, all threads)\nGL: " + bench::glDescription(),
        {"frame function", "wall med", "wall p99", "CPU med", "CPU p99", "main thr med",
         "faults/frame", "paced fps", "paced CPU/frame", "paced faults/frame", "X server %",
         "others %"});
    for (size_t i = 0; i < scenarios.size(); ++i) {
        const bench::Scenario& scenario = scenarios[i];
        if (std::strstr(scenario.name, options.only.c_str()) == nullptr) continue;
        const Measured m = measure(scenario, options);
        table.add({scenario.name, bench::fixed(m.wall.median), bench::fixed(m.wall.p99),
                   bench::fixed(m.cpu.median), bench::fixed(m.cpu.p99),
                   bench::fixed(m.mainThread.median), bench::fixed(m.faultsPerFrame, 1),
                   bench::fixed(m.pacedFps, 1), bench::fixed(m.pacedCpuPerFrame),
                   bench::fixed(m.pacedFaultsPerFrame, 1),
                   m.xServerPercent < 0 ? "?" : bench::fixed(m.xServerPercent, 0),
                   bench::fixed(m.othersPercent, 0)});
        const std::string key = std::string("frames.") + std::to_string(i);
        bench::record(key + ".cpu_median", m.cpu.median);
        bench::record(key + ".cpu_p99", m.cpu.p99);
        bench::record(key + ".faults", m.faultsPerFrame);
        bench::record(key + ".paced_fps", m.pacedFps);
        bench::record(key + ".paced_cpu", m.pacedCpuPerFrame);
        bench::record(key + ".paced_faults", m.pacedFaultsPerFrame);
    }
    table.print();

    platform::destroyWindow(window);
    shutdownGame();
    return 0;
}
