#pragma once
// What every benchmark shares: clocks that count the whole process (Mesa's
// llvmpipe renders on threads of its own), page faults, percentiles, a copy
// of the game folder to run in, and plain text tables.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Wall time in ms on the system-wide monotonic clock (comparable across processes).
double wallMs();
// CPU time in ms of every thread of this process together.
double processCpuMs();
// CPU time in ms of the calling thread alone.
double threadCpuMs();
// Minor plus major page faults of this process so far.
long pageFaults();
// Voluntary context switches of this process so far (sleeps and waits).
long voluntarySwitches();
// CPU time in ms that every process of the machine together has spent (from
// /proc/stat): with our own time taken off, it shows whether anything else
// competed for the cores while a benchmark ran.
double machineBusyMs();
// CPU time in ms of the X server, when run.sh started it and named it in
// BENCH_XSERVER_PID (it works for us: every presented frame is copied to it);
// a negative number when it is not known.
double xServerCpuMs();
// Peak and current resident memory in MB (VmHWM, VmRSS) of a process; 0 when unknown.
double peakResidentMb(int pid = 0);
double residentMb(int pid = 0);

struct ThreadCpu {
    int tid = 0;
    std::string name;
    double cpuMs = 0;
};
// Every thread of this process with its CPU time so far.
std::vector<ThreadCpu> threadCpuTimes();

struct Stats {
    size_t count = 0;
    double mean = 0, median = 0, p99 = 0, min = 0, max = 0;
};
// Nearest-rank percentiles of the samples.
Stats statsOf(std::vector<double> samples);

// A fresh temporary folder holding the game's content (not its programs),
// made the working directory, as the game opens every file by its bare name.
// Removed again by the destructor.
class GameFolder {
public:
    explicit GameFolder(const std::string& distDir);
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string previous_;
    std::string path_;
};

// The game folder of this build unless the first argument names another.
std::string distDirFrom(int argc, char** argv);

// "renderer | version" of the current OpenGL context.
std::string glDescription();

// A table printed as aligned text: a title, a header row and data rows.
class Table {
public:
    Table(std::string title, std::vector<std::string> header);
    void add(std::vector<std::string> row);
    void print() const;

private:
    std::string title_;
    std::vector<std::vector<std::string>> rows_;
};

std::string fixed(double value, int decimals = 2);

// Appends "key=value" to the file named by BENCH_SUMMARY, when it is set, so
// run.sh can set the figures beside their goals.
void record(const std::string& key, double value);

}  // namespace bench
