#include "updater/platform/replacement_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

namespace platform {

namespace {

mode_t permissionsFor(FileAccess access) {
    // mkstemp makes the file private to us; the finished file gets what a
    // plainly created one would have.
    const mode_t mask = umask(0);
    umask(mask);
    return (access == FileAccess::Program ? 0777 : 0666) & ~mask;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target, FileAccess access)
    : target_(std::move(target)) {
    // Beside the target, so the final rename never crosses a file system.
    std::string pattern = target_ + ".partial-XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) return;
    temporary_ = pattern;
    if (fchmod(descriptor, permissionsFor(access)) != 0 ||
        (stream_ = fdopen(descriptor, "wb")) == nullptr) {
        close(descriptor);
        unlink(temporary_.c_str());
        temporary_.clear();
    }
}

ReplacementFile::~ReplacementFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool ReplacementFile::write(const void* data, size_t size) {
    if (stream_ == nullptr || failed_) return false;
    if (size > 0 && std::fwrite(data, 1, size, stream_) != size) failed_ = true;
    return !failed_;
}

bool ReplacementFile::commit() {
    if (stream_ == nullptr || failed_) return false;
    const bool written = std::fflush(stream_) == 0 && fsync(fileno(stream_)) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written || !closed || std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
}

}  // namespace platform
