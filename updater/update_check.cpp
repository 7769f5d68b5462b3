#include "updater/update_check.h"

#include "updater/platform/download.h"
#include "updater/version_file.h"

std::string endpointUrl(const std::string& endpoint, const std::string& path) {
    std::string base = endpoint;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + path;
}

UpdateCheck checkForUpdate(const UpdaterSettings& settings) {
    // A failed fetch leaves the copy from an earlier run, or none, to compare.
    platform::downloadToFile(endpointUrl(settings.endpoint, "/new.txt"), kPublishedVersionFile,
                             settings.downloads);
    const std::string installed = readVersionText(kInstalledVersionFile);
    std::string published = readVersionText(kPublishedVersionFile);
    if (versionValue(published) == versionValue(installed)) return {};
    return {true, std::move(published)};
}

bool fetchInstaller(const UpdaterSettings& settings) {
    return platform::downloadToFile(endpointUrl(settings.endpoint, "/update.exe"), kInstallerFile,
                                    settings.downloads, platform::FileAccess::Program);
}
