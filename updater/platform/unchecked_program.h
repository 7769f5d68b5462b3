#pragma once
// A fetched program that nothing can run before it has been checked: it is
// written under a temporary name without the run bit, checked through the
// same open file, and only then made runnable and given its name, in one
// rename. A updater killed at any moment leaves no runnable file that was
// not checked, and the program started is the file that was.

#include <string>
#include <string_view>

#include "updater/platform/file_view.h"

namespace platform {

class UncheckedProgram {
public:
    // A private, empty file beside `finalName`.
    explicit UncheckedProgram(std::string finalName);
    // Removes the file unless it was made runnable.
    ~UncheckedProgram();
    UncheckedProgram(const UncheckedProgram&) = delete;
    UncheckedProgram& operator=(const UncheckedProgram&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    // Where the program's bytes are written.
    int descriptor() const { return descriptor_; }
    // The bytes written so far, read through the open file itself.
    FileView contents() const { return FileView(descriptor_); }
    // On disk, runnable and named `finalName`: a read-only descriptor of the
    // very file, for startProgramFile, or -1 when that failed (the file is
    // then removed). The caller closes it.
    int makeRunnable();

private:
    std::string finalName_;
    std::string temporaryName_;
    int descriptor_ = -1;
};

// Removes what updaters killed before making their program runnable left
// beside `finalName`.
void removeUncheckedLeftovers(const std::string& finalName);

}  // namespace platform
