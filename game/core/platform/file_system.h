#pragma once
// What the game's own files need from the file system: telling a file that
// can be read from a folder or a device, and replacing a file in one step.
// Tests put their own disk flush in place of the system's.

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

namespace platform {

// Opens `name` for reading when it is a regular file, or a link to one.
// Anything else (a folder, a device, a pipe) gives null, as a missing file does.
std::FILE* openRegularFile(const char* name);

// The whole of `name` when it is a regular file (or a link to one) of at
// most `largest` bytes; nothing for anything else: a folder, a device, a
// pipe (never waited on), a larger file, or one that cannot be read.
std::optional<std::string> readWholeRegularFile(const char* name, size_t largest);

// Bounds for the content files the game reads, generous for each kind.
constexpr size_t kLargestMeshFile = 16u << 20;
constexpr size_t kLargestImageFile = 64u << 20;
constexpr size_t kLargestSoundFile = 64u << 20;

// The one way files are replaced, by the game and the updater alike: the new
// content is written beside the file that holds the content under a name of
// its own, flushed, and moved into that file's place in one step. A crash, a
// kill or a full disk part-way leaves the old content whole, and two writers
// at the same moment leave one whole file, never a mix. The file keeps its
// mode (a new one gets what a plainly created file would); a link stays a
// link and its target gets the content; a file system that cannot flush
// still takes it.
class ReplacementFile {
public:
    explicit ReplacementFile(const std::string& name);
    // Removes the scratch file unless the content was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    // False once any write has failed; later writes are then ignored.
    bool write(const void* data, size_t size);
    // False, with the old content in place, when anything failed.
    bool commit();

private:
    std::string target_;
    std::string scratch_;
    int descriptor_ = -1;
    bool failed_ = false;
};

// Replaces the content of `name` with `content` through a ReplacementFile.
// False when the old content is still there.
bool replaceFile(const char* name, const std::string& content);

// Tests stand a flush of their own in fsync's place, answering as fsync does
// (0, or -1 with errno set); null restores fsync.
using DiskFlush = int (*)(int descriptor);
void installDiskFlush(DiskFlush replacement);

}  // namespace platform
