#include "updater/signed_installer.h"

#include <cstdio>
#include <string>

#include "updater/platform/download.h"
#include "updater/platform/file_view.h"
#include "updater/update_check.h"
#include "updater/update_signature.h"

namespace {

// Why the fetched installer may not start; empty when it may.
std::string refusal(const UpdaterSettings& settings) {
    std::string signature;
    const platform::Download download =
        platform::downloadToMemory(endpointUrl(settings.endpoint, "/update.exe.minisig"),
                                   settings.downloads, kLargestInstallerSignature, signature);
    if (!download) return "no signature: " + download.failure;
    const platform::FileView installer(kInstallerFile);
    if (!installer.isOpen()) return "the installer cannot be read";
    return refusalReason(verifySignature(settings.publicKey, signature, installer.bytes()));
}

}  // namespace

bool checkInstallerSignature(const UpdaterSettings& settings) {
    if (settings.publicKey.empty()) return true;
    const std::string why = refusal(settings);
    if (why.empty()) return true;
    std::remove(kInstallerFile);
    std::fprintf(stderr, "Updater: update refused, %s\n", why.c_str());
    return false;
}
