#include "gameplay/line_reader.h"

#include "core/platform/file_system.h"

LineReader::LineReader(const char* fileName) : file_(platform::openRegularFile(fileName)) {}

LineReader::~LineReader() {
    if (file_ != nullptr) std::fclose(file_);
}

const std::string& LineReader::readLine() {
    if (file_ == nullptr || atEnd_) return line_;
    line_.clear();
    for (;;) {
        const int c = std::fgetc(file_);
        if (c == EOF) {
            atEnd_ = true;
            return line_;
        }
        if (c == '\n') return line_;
        if (line_.size() < kLongestLine) line_.push_back(static_cast<char>(c));
    }
}
