#pragma once
// A whole file's bytes, read-only and mapped rather than copied: an
// installer of hundreds of megabytes is checked without a copy in memory.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

class FileView {
public:
    explicit FileView(const std::string& fileName);
    // The file open at `descriptor`, which stays open and the caller's.
    explicit FileView(int descriptor);
    ~FileView();
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    FileView(FileView&& other) noexcept;

    bool isOpen() const { return open_; }
    // Empty when the file is, or when it could not be opened.
    std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

private:
    void map(int descriptor);

    void* data_ = nullptr;
    size_t size_ = 0;
    bool open_ = false;
};

}  // namespace platform
