#include "updater/platform/download.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>

namespace platform {

namespace {

void initialiseCurlOnce() {
    // Never cleaned up: the launcher makes a couple of transfers and exits.
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

size_t writeBody(char* data, size_t size, size_t count, void* destination) {
    // Returning less than was given makes curl abort the transfer: a full
    // disk must not pass for a finished download.
    const size_t bytes = size * count;
    return static_cast<ReplacementFile*>(destination)->write(data, bytes) ? bytes : 0;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

}  // namespace

bool downloadToFile(const std::string& url, const std::string& fileName,
                    const DownloadLimits& limits, FileAccess access) {
    initialiseCurlOnce();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return false;
    ReplacementFile file(fileName, access);
    if (!file.isOpen()) return false;

    char error[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &file);
    // An error page is not the resource.
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(limits.maxRedirects));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeoutMs));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.transferTimeoutMs));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stallSeconds));
    // Timeouts without SIGALRM: the launcher's signals stay its own.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Vorlune-Updater");

    // A body shorter than its Content-Length ends in an error here too.
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    // Nobody is shown these; they help whoever runs the launcher by hand.
    if (result != CURLE_OK) {
        std::fprintf(stderr, "Updater: %s: %s\n", url.c_str(),
                     error[0] != '\0' ? error : curl_easy_strerror(result));
        return false;
    }
    // Only a plain 200 carries the resource itself; "no content" and the
    // like would leave an empty file in its place.
    if (status != 200) {
        std::fprintf(stderr, "Updater: %s: answered with status %ld\n", url.c_str(), status);
        return false;
    }
    return file.commit();
}

}  // namespace platform
