#pragma once
// What the fault tests share: damaged copies of files, and how much memory
// the process takes while it reads them.

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace fault {

inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Bytes of every value, line feeds and NULs included, the same in every run.
inline std::string noise(size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// A file of `megabytes` MB of `pattern` repeated, written a piece at a time
// so that writing it does not itself take the memory being measured.
inline void writeRepeated(const std::string& name, const std::string& pattern, size_t megabytes) {
    std::string piece;
    while (piece.size() < (1u << 20)) piece += pattern;
    piece.resize(1u << 20);
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    for (size_t i = 0; i < megabytes; ++i)
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
}

inline long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

// Measures how far the resident memory rises above where it stood at the
// start: the kernel's high-water mark is reset, so what the process held
// before does not hide what the code under test takes.
class PeakMemory {
public:
    PeakMemory() {
        std::ofstream("/proc/self/clear_refs") << "5";
        startKb_ = statusKb("VmRSS");
    }
    bool available() const { return startKb_ > 0 && statusKb("VmHWM") > 0; }
    long riseKb() const { return statusKb("VmHWM") - startKb_; }

private:
    long startKb_ = 0;
};

}  // namespace fault
