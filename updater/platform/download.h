#pragma once
// Fetching a resource over HTTP or HTTPS into a local file, all or nothing:
// the file is replaced only by a complete, successful transfer.

#include <cstdint>
#include <string>

#include "updater/platform/replacement_file.h"

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

// Downloads `url` into `fileName`. True when the server answered with a
// success status and the whole body arrived; the file then holds exactly that
// body. Otherwise false, and the file is as it was before (or still absent).
bool downloadToFile(const std::string& url, const std::string& fileName,
                    const DownloadLimits& limits, FileAccess access = FileAccess::Data);

}  // namespace platform
