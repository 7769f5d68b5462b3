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

bool writeWhole(int descriptor, const char* data, size_t size) {
    size_t written = 0;
    while (written < size) {
        const ssize_t step = ::write(descriptor, data + written, size - written);
        if (step < 0 && errno == EINTR) continue;
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

std::optional<std::string> readWholeRegularFile(const char* name, size_t largest) {
    std::FILE* file = openRegularFile(name);
    if (file == nullptr) return std::nullopt;
    struct stat status {};
    std::string content;
    bool fits = ::fstat(::fileno(file), &status) == 0 &&
                static_cast<unsigned long long>(status.st_size) <= largest;
    if (fits) content.reserve(static_cast<size_t>(status.st_size));
    // To the end, however far it has grown meanwhile, but never past the bound.
    char chunk[1 << 16];
    while (fits) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        content.append(chunk, got);
        fits = content.size() <= largest;
        if (got < sizeof chunk) break;
    }
    const bool whole = fits && std::ferror(file) == 0;
    std::fclose(file);
    if (!whole) return std::nullopt;
    return content;
}

ReplacementFile::ReplacementFile(const std::string& name) : target_(linkTarget(name.c_str())) {
    // A loop of links holds no file to replace.
    if (target_.empty()) return;
    // Beside the file it replaces, so the rename never crosses a file system,
    // and under a name no other writer takes.
    std::string pattern = target_ + ".new-XXXXXX";
    descriptor_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor_ < 0) return;
    scratch_ = std::move(pattern);
    // A file system that keeps no modes refuses to set one; the content matters more.
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        (void)::fchmod(descriptor_, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(descriptor_, 0666 & ~mask);
    }
}

ReplacementFile::~ReplacementFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!scratch_.empty()) ::unlink(scratch_.c_str());
}

bool ReplacementFile::write(const void* data, size_t size) {
    if (descriptor_ < 0 || failed_) return false;
    if (!writeWhole(descriptor_, static_cast<const char*>(data), size)) failed_ = true;
    return !failed_;
}

bool ReplacementFile::commit() {
    if (descriptor_ < 0 || failed_) return false;
    const bool written = flushToDisk(descriptor_);
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    if (!written || !closed || std::rename(scratch_.c_str(), target_.c_str()) != 0) return false;
    scratch_.clear();
    return true;
}

bool replaceFile(const char* name, const std::string& content) {
    ReplacementFile file(name);
    return file.write(content.data(), content.size()) && file.commit();
}

void installDiskFlush(DiskFlush replacement) { installedFlush = replacement; }

}  // namespace platform
