#pragma once
// A file written beside its target under a temporary name and moved into the
// target's place in one step: anyone reading the target sees either the old
// file or the whole new one, never a part, and a failed write leaves the old
// file exactly as it was.

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

enum class FileAccess {
    Data,     // readable and writable, as the process's umask allows
    Program,  // also executable: the updater starts it
};

class ReplacementFile {
public:
    ReplacementFile(std::string target, FileAccess access);
    // Removes the temporary file unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool isOpen() const { return stream_ != nullptr; }
    // False once any write has failed; later writes are then ignored.
    bool write(const void* data, size_t size);
    // Puts the written content in the target's place, on disk first so a
    // crash cannot leave a target of the right name and the wrong content.
    // False, with the target untouched, when anything failed.
    bool commit();

private:
    std::string target_;
    std::string temporary_;
    FILE* stream_ = nullptr;
    bool failed_ = false;
};

}  // namespace platform
