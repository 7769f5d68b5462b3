#include "updater/platform/unchecked_program.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace platform {

namespace {

std::string temporaryPrefix(const std::string& finalName) { return finalName + ".unchecked-"; }

// Several file systems cannot flush and say so; nothing then waits to be written.
bool flushed(int descriptor) {
    return fsync(descriptor) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EOPNOTSUPP;
}

mode_t programPermissions() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0777 & ~mask;
}

}  // namespace

UncheckedProgram::UncheckedProgram(std::string finalName) : finalName_(std::move(finalName)) {
    // Beside the final name, so the rename never crosses a file system;
    // mkstemp gives it to its owner alone, to read and write, not to run.
    std::string pattern = temporaryPrefix(finalName_) + "XXXXXX";
    descriptor_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor_ >= 0) temporaryName_ = std::move(pattern);
}

UncheckedProgram::~UncheckedProgram() {
    if (descriptor_ >= 0) close(descriptor_);
    if (!temporaryName_.empty()) unlink(temporaryName_.c_str());
}

int UncheckedProgram::makeRunnable() {
    if (descriptor_ < 0) return -1;
    // Read-only, and on the same file: nothing is running while a writer
    // holds it open, and no name is looked up again.
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor_);
    const int reader = open(self.c_str(), O_RDONLY | O_CLOEXEC);
    const bool ready =
        reader >= 0 && flushed(descriptor_) && fchmod(descriptor_, programPermissions()) == 0;
    const bool closed = close(descriptor_) == 0;
    descriptor_ = -1;
    if (ready && closed && std::rename(temporaryName_.c_str(), finalName_.c_str()) == 0) {
        temporaryName_.clear();
        return reader;
    }
    if (reader >= 0) close(reader);
    return -1;
}

void removeUncheckedLeftovers(const std::string& finalName) {
    const size_t slash = finalName.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : finalName.substr(0, slash);
    const std::string prefix =
        temporaryPrefix(slash == std::string::npos ? finalName : finalName.substr(slash + 1));
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) return;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix)) {
            unlinkat(dirfd(directory), name.c_str(), 0);
        }
    }
    closedir(directory);
}

}  // namespace platform
