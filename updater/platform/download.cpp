#include "updater/platform/download.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>

#include "core/platform/file_system.h"

namespace platform {

namespace {

void initialiseCurlOnce() {
    // Never cleaned up: the updater makes a couple of transfers and exits.
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

// Where the body goes, and how much of it may come.
struct BodySink {
    std::function<bool(const char* data, size_t size)> take;
    uint64_t largest = 0;
    uint64_t received = 0;
    bool tooLarge = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* destination) {
    // Returning less than was given makes curl abort the transfer: a full
    // disk must not pass for a finished download, nor a body that goes on
    // past its bound for one of that size.
    auto& sink = *static_cast<BodySink*>(destination);
    const size_t bytes = size * count;
    sink.received += bytes;
    sink.tooLarge = sink.received > sink.largest;
    return !sink.tooLarge && sink.take(data, bytes) ? bytes : 0;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

Download transfer(const std::string& url, const DownloadLimits& limits, BodySink& sink) {
    initialiseCurlOnce();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) return {false, url + ": cannot start a transfer"};

    char error[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    // A declared length past the bound ends the transfer before its body;
    // the count in writeBody catches a body that declares none.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.largest));
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
    // Timeouts without SIGALRM: the updater's signals stay its own.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Vorlune-Updater");

    // A body shorter than its Content-Length ends in an error here too.
    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (sink.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        return {false, url + ": larger than " + std::to_string(sink.largest) + " bytes"};
    }
    if (result != CURLE_OK) {
        return {false, url + ": " + (error[0] != '\0' ? error : curl_easy_strerror(result))};
    }
    // Only a plain 200 carries the resource itself; "no content" and the
    // like would leave an empty file in its place.
    if (status != 200) {
        return {false, url + ": answered with status " + std::to_string(status)};
    }
    return {true, {}};
}

}  // namespace

Download downloadToFile(const std::string& url, const std::string& fileName,
                        const DownloadLimits& limits, uint64_t largestBody) {
    ReplacementFile file(fileName);
    if (!file.isOpen()) return {false, fileName + ": cannot be written"};
    BodySink sink{[&file](const char* data, size_t size) { return file.write(data, size); },
                  largestBody};
    Download download = transfer(url, limits, sink);
    if (download && !file.commit()) download = {false, fileName + ": cannot be written"};
    return download;
}

Download downloadToDescriptor(const std::string& url, int descriptor, const DownloadLimits& limits,
                              uint64_t largestBody) {
    if (descriptor < 0) return {false, url + ": nowhere to write it"};
    BodySink sink{[descriptor](const char* data, size_t size) {
                      while (size > 0) {
                          const ssize_t written = ::write(descriptor, data, size);
                          if (written < 0 && errno == EINTR) continue;
                          if (written <= 0) return false;
                          data += written;
                          size -= static_cast<size_t>(written);
                      }
                      return true;
                  },
                  largestBody};
    return transfer(url, limits, sink);
}

Download downloadToMemory(const std::string& url, const DownloadLimits& limits,
                          uint64_t largestBody, std::string& body) {
    body.clear();
    BodySink sink{[&body](const char* data, size_t size) {
                      body.append(data, size);
                      return true;
                  },
                  largestBody};
    Download download = transfer(url, limits, sink);
    if (!download) body.clear();
    return download;
}

}  // namespace platform
