#pragma once
// Fetching a resource over HTTP or HTTPS into a local file or into memory,
// all or nothing: the file is replaced only by a complete, successful
// transfer, and no resource may be larger than its caller allows.

#include <cstdint>
#include <string>

namespace platform {

struct DownloadLimits {
    // Waiting for the server to take the connection.
    uint32_t connectTimeoutMs = 10'000;
    // The whole transfer, first byte to last. An installer of a few tens of
    // megabytes fits easily on a slow line; past this the server is broken.
    uint32_t transferTimeoutMs = 15 * 60'000;
    // A transfer that moves no data at all for this long has stalled.
    uint32_t stallSeconds = 60;
    // Redirects followed before the server is taken to be going in circles.
    int maxRedirects = 5;
};

// How a transfer ended. The reason is for the caller to report: nobody is
// shown it, but it helps whoever runs the updater by hand.
struct Download {
    bool complete = false;
    std::string failure;  // the URL and what went wrong, when not complete
    explicit operator bool() const { return complete; }
};

// Downloads `url` into `fileName`. Complete when the server answered with a
// success status and the whole body, at most `largestBody` bytes, arrived;
// the file then holds exactly that body. Otherwise the file is as it was
// before (or still absent).
Download downloadToFile(const std::string& url, const std::string& fileName,
                        const DownloadLimits& limits, uint64_t largestBody);

// The same into the file open at `descriptor`, from where it stands; what
// it holds after a transfer that did not complete is the caller's to discard.
Download downloadToDescriptor(const std::string& url, int descriptor, const DownloadLimits& limits,
                              uint64_t largestBody);

// The same into `body`, which holds the whole body only when complete.
Download downloadToMemory(const std::string& url, const DownloadLimits& limits,
                          uint64_t largestBody, std::string& body);

}  // namespace platform
