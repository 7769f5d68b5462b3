#include "gameplay/line_reader.h"

#include <sys/stat.h>

#include "core/platform/file_system.h"

namespace {

std::FILE* openSmallRegularFile(const char* fileName, size_t largest) {
    std::FILE* file = platform::openRegularFile(fileName);
    if (file == nullptr) return nullptr;
    struct stat status {};
    if (::fstat(::fileno(file), &status) == 0 &&
        static_cast<unsigned long long>(status.st_size) <= largest)
        return file;
    std::fclose(file);
    return nullptr;
}

}  // namespace

LineReader::LineReader(const char* fileName)
    : file_(openSmallRegularFile(fileName, kLargestFile)) {}

LineReader::~LineReader() {
    if (file_ != nullptr) std::fclose(file_);
}

const std::string& LineReader::readLine() {
    if (file_ == nullptr || atEnd_) return line_;
    line_.clear();
    for (;;) {
        const int c = ++bytesRead_ <= kLargestFile ? std::fgetc(file_) : EOF;
        if (c == EOF) {
            atEnd_ = true;
            return line_;
        }
        if (c == '\n') return line_;
        if (line_.size() < kLongestLine) line_.push_back(static_cast<char>(c));
    }
}
