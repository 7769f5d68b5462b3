#pragma once
// Reads a level file line by line, the way the level format expects: one
// buffer for every line; a read that meets the end of the file before a line
// feed sets the end condition; after that, reads leave the buffer as it was,
// so they yield the last line again. A line feed that is the file's last byte
// does not set the end condition by itself. A file larger than kLargestFile
// does not open, as a missing one.

#include <cstddef>
#include <cstdio>
#include <string>

class LineReader {
public:
    // The game's line files are levels of at most kRockSlots records of four
    // short number lines (a few KiB) and the progress file of one number.
    // 1 MiB leaves room for any hand-made file, while a file of megabytes is
    // none of them, and reading it through would hold up the start.
    static constexpr size_t kLargestFile = 1u << 20;

    explicit LineReader(const char* fileName);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool atEnd() const { return atEnd_; }
    // Reads the next line into the buffer and returns the buffer.
    const std::string& readLine();

private:
    // Longer lines keep only their start: no number in the game needs more,
    // and a broken file must not take unbounded memory.
    static constexpr size_t kLongestLine = 4096;

    std::FILE* file_ = nullptr;
    // Counted so that a file grown past the bound since it was opened still
    // ends there.
    size_t bytesRead_ = 0;
    bool atEnd_ = false;
    std::string line_;
};
