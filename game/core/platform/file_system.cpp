#include "core/platform/file_system.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

DiskFlush installedFlush = nullptr;

// As many links as the system itself follows; more means they go round in a loop.
constexpr int kLinkHops = 40;

// The file that really holds `name`'s content: `name` itself, or where its
// links lead (made there if it is not there yet). Empty for a loop of links.
std::string linkTarget(const char* name) {
    std::string path = name;
    for (int hop = 0; hop < kLinkHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length < 0) return path;
        if (length == sizeof target) return {};
        const std::string next(target, static_cast<size_t>(length));
        const size_t folderEnd = path.rfind('/');
        const bool besideLink = !next.starts_with('/') && folderEnd != std::string::npos;
        path = besideLink ? path.substr(0, folderEnd + 1) + next : next;
    }
    return {};
}

bool writeWhole(int descriptor, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t step = ::write(descriptor, text.data() + written, text.size() - written);
        if (step < 0) return false;
        written += static_cast<size_t>(step);
    }
    return true;
}

bool flushToDisk(int descriptor) {
    const DiskFlush flush = installedFlush != nullptr ? installedFlush : ::fsync;
    if (flush(descriptor) == 0) return true;
    // Several FUSE and network file systems cannot flush and say so: nothing
    // waits to be written, so the replacement goes on.
    return errno == EINVAL || errno == ENOTSUP || errno == EOPNOTSUPP;
}

}  // namespace

std::FILE* openRegularFile(const char* name) {
    // Without waiting, so that a pipe does not hold the game until a writer comes.
    const int descriptor = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat file {};
    const bool regular = ::fstat(descriptor, &file) == 0 && S_ISREG(file.st_mode) &&
                         ::fcntl(descriptor, F_SETFL, 0) == 0;
    std::FILE* stream = regular ? ::fdopen(descriptor, "r") : nullptr;
    if (stream == nullptr) ::close(descriptor);
    return stream;
}

bool replaceFile(const char* name, const std::string& content) {
    // The new content goes to a scratch file beside the file it replaces and
    // takes its place only once it is safely on disk.
    const std::string target = linkTarget(name);
    if (target.empty()) return false;
    const std::string scratch = target + ".new";
    const int descriptor = ::open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return false;
    // A file system that keeps no modes refuses to set one; the content matters more.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(descriptor, old.st_mode & 07777);
    const bool written = writeWhole(descriptor, content) && flushToDisk(descriptor);
    const bool closed = ::close(descriptor) == 0;
    if (written && closed && std::rename(scratch.c_str(), target.c_str()) == 0) return true;
    std::remove(scratch.c_str());
    return false;
}

void installDiskFlush(DiskFlush replacement) { installedFlush = replacement; }

}  // namespace platform
