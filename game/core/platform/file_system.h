#pragma once
// What the game's own files need from the file system: telling a file that
// can be read from a folder or a device, and replacing a file in one step.
// Tests put their own disk flush in place of the system's.

#include <cstdio>
#include <string>

namespace platform {

// Opens `name` for reading when it is a regular file, or a link to one.
// Anything else (a folder, a device, a pipe) gives null, as a missing file does.
std::FILE* openRegularFile(const char* name);

// Replaces the content of `name` with `content` so that a crash, a kill or a
// full disk part-way leaves the old content whole. The file keeps its mode; a
// link stays a link and its target gets the content. False when the old
// content is still there.
bool replaceFile(const char* name, const std::string& content);

// Tests stand a flush of their own in fsync's place, answering as fsync does
// (0, or -1 with errno set); null restores fsync.
using DiskFlush = int (*)(int descriptor);
void installDiskFlush(DiskFlush replacement);

}  // namespace platform
