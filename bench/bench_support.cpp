#include "bench_support.h"

#include <epoxy/gl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

double clockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

rusage selfUsage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

double statusFieldMb(int pid, const char* field) {
    const std::string file =
        pid == 0 ? "/proc/self/status" : "/proc/" + std::to_string(pid) + "/status";
    std::ifstream status(file);
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) != 0) continue;
        return std::atof(line.c_str() + prefix.size()) / 1024.0;  // the file gives kB
    }
    return 0;
}

std::string firstLine(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// Time on a CPU in ms: schedstat counts nanoseconds; stat's ticks are the fallback.
double taskCpuMs(const std::string& taskDir) {
    const std::string schedstat = firstLine(taskDir + "/schedstat");
    if (!schedstat.empty()) return std::atof(schedstat.c_str()) / 1e6;
    const std::string stat = firstLine(taskDir + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;  // state .. cmajflt
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

double wallMs() { return clockMs(CLOCK_MONOTONIC); }
double processCpuMs() { return clockMs(CLOCK_PROCESS_CPUTIME_ID); }
double threadCpuMs() { return clockMs(CLOCK_THREAD_CPUTIME_ID); }

long pageFaults() {
    const rusage usage = selfUsage();
    return usage.ru_minflt + usage.ru_majflt;
}

long voluntarySwitches() { return selfUsage().ru_nvcsw; }

double machineBusyMs() {
    std::ifstream in("/proc/stat");
    std::string cpu;
    in >> cpu;  // the first line sums every core
    double busy = 0, ticks = 0;
    for (int field = 0; field < 8 && in >> ticks; ++field) {
        if (field != 3 && field != 4) busy += ticks;  // all but idle and iowait
    }
    return busy * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double xServerCpuMs() {
    const char* pid = std::getenv("BENCH_XSERVER_PID");
    if (pid == nullptr || *pid == '\0') return -1;
    return taskCpuMs(std::string("/proc/") + pid);
}

double peakResidentMb(int pid) { return statusFieldMb(pid, "VmHWM"); }
double residentMb(int pid) { return statusFieldMb(pid, "VmRSS"); }

std::vector<ThreadCpu> threadCpuTimes() {
    std::vector<ThreadCpu> threads;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", error)) {
        const std::string dir = entry.path().string();
        threads.push_back(
            {std::atoi(entry.path().filename().c_str()), firstLine(dir + "/comm"), taskCpuMs(dir)});
    }
    std::sort(threads.begin(), threads.end(),
              [](const ThreadCpu& a, const ThreadCpu& b) { return a.tid < b.tid; });
    return threads;
}

Stats statsOf(std::vector<double> samples) {
    Stats stats;
    stats.count = samples.size();
    if (samples.empty()) return stats;
    std::sort(samples.begin(), samples.end());
    auto rank = [&](double fraction) {
        const auto at =
            static_cast<size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
        return samples[std::clamp<size_t>(at, 1, samples.size()) - 1];
    };
    double sum = 0;
    for (double sample : samples) sum += sample;
    stats.mean = sum / static_cast<double>(samples.size());
    stats.median = rank(0.5);
    stats.p99 = rank(0.99);
    stats.min = samples.front();
    stats.max = samples.back();
    return stats;
}

GameFolder::GameFolder(const std::string& distDir)
    : previous_(std::filesystem::current_path().string()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vorlune-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    path_ = pattern;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(distDir, error)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        // Progress starts fresh, as on a first start.
        if (name == "Game" || name == "Updater" || name == "Data.vrp") continue;
        std::filesystem::copy_file(entry.path(), std::filesystem::path(path_) / name);
    }
    if (error) {
        std::fprintf(stderr, "cannot read the game folder %s\n", distDir.c_str());
        std::filesystem::remove_all(path_, error);
        std::exit(1);
    }
    std::filesystem::current_path(path_);
}

GameFolder::~GameFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string distDirFrom(int argc, char** argv) {
    // Every option of the benchmarks takes one value, but for this switch.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--default-heap") continue;
        if (argv[i][0] == '-') {
            ++i;
            continue;
        }
        return argv[i];
    }
    return VORLUNE_DIST_DIR;
}

std::string glDescription() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return std::string(renderer != nullptr ? renderer : "?") + " | " +
           (version != nullptr ? version : "?");
}

Table::Table(std::string title, std::vector<std::string> header) : title_(std::move(title)) {
    rows_.push_back(std::move(header));
}

void Table::add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

void Table::print() const {
    std::vector<size_t> widths;
    for (const auto& row : rows_) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    auto printRow = [&](const std::vector<std::string>& row) {
        std::string line = "|";
        for (size_t c = 0; c < widths.size(); ++c) {
            const std::string cell = c < row.size() ? row[c] : "";
            // Names to the left, figures to the right.
            const std::string pad(widths[c] - cell.size(), ' ');
            line.append(" ");
            line.append(c == 0 ? cell : pad);
            line.append(c == 0 ? pad : cell);
            line.append(" |");
        }
        std::printf("%s\n", line.c_str());
    };
    std::printf("\n%s\n\n", title_.c_str());
    printRow(rows_.front());
    std::string rule = "|";
    for (size_t width : widths) rule += std::string(width + 2, '-') + "|";
    std::printf("%s\n", rule.c_str());
    for (size_t r = 1; r < rows_.size(); ++r) printRow(rows_[r]);
    std::fflush(stdout);
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void record(const std::string& key, double value) {
    const char* file = std::getenv("BENCH_SUMMARY");
    if (file == nullptr || *file == '\0') return;
    std::ofstream out(file, std::ios::app);
    out << key << "=" << value << "\n";
}

}  // namespace bench
