#include "updater/platform/file_view.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileView::FileView(const std::string& fileName) {
    const int descriptor = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return;
    map(descriptor);
    // The mapping outlives the descriptor.
    close(descriptor);
}

FileView::FileView(int descriptor) {
    if (descriptor >= 0) map(descriptor);
}

FileView::FileView(FileView&& other) noexcept
    : data_(other.data_), size_(other.size_), open_(other.open_) {
    other.data_ = nullptr;
    other.size_ = 0;
    other.open_ = false;
}

void FileView::map(int descriptor) {
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        size_ = static_cast<size_t>(status.st_size);
        // An empty file cannot be mapped, and needs no mapping.
        if (size_ == 0) {
            open_ = true;
        } else if (void* mapped = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor, 0);
                   mapped != MAP_FAILED) {
            data_ = mapped;
            open_ = true;
        } else {
            size_ = 0;
        }
    }
}

FileView::~FileView() {
    if (data_ != nullptr) munmap(data_, size_);
}

}  // namespace platform
