#include "updater/update_check.h"

#include <cstdio>

#include "updater/platform/download.h"
#include "updater/version_file.h"

std::string endpointUrl(const std::string& endpoint, const std::string& path) {
    std::string base = endpoint;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + path;
}

namespace {

// Nobody is shown these; they help whoever runs the updater by hand.
void reportFailure(const platform::Download& download) {
    if (!download) std::fprintf(stderr, "Updater: %s\n", download.failure.c_str());
}

}  // namespace

UpdateCheck checkForUpdate(const UpdaterSettings& settings) {
    // A failed fetch leaves the copy from an earlier run, or none, to compare.
    const platform::Download download =
        platform::downloadToFile(endpointUrl(settings.endpoint, "/new.txt"), kPublishedVersionFile,
                                 settings.downloads, kLargestPublishedVersion);
    reportFailure(download);
    const std::string installed = readVersionText(kInstalledVersionFile);
    std::string published = readVersionText(kPublishedVersionFile);
    if (versionValue(published) == versionValue(installed)) return {};
    const int offered = download ? versionValue(published) : 0;
    return {true, std::move(published), offered};
}
