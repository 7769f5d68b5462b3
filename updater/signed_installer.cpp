#include "updater/signed_installer.h"

#include <cstdio>
#include <string>

#include "updater/platform/download.h"
#include "updater/platform/unchecked_program.h"
#include "updater/update_check.h"
#include "updater/update_signature.h"
#include "updater/version_file.h"

namespace {

// Why the fetched installer may not start; empty when it may.
std::string refusal(const UpdaterSettings& settings, const platform::UncheckedProgram& installer,
                    int offeredVersion) {
    std::string signature;
    const platform::Download download =
        platform::downloadToMemory(endpointUrl(settings.endpoint, "/update.exe.minisig"),
                                   settings.downloads, kLargestInstallerSignature, signature);
    if (!download) return "no signature: " + download.failure;
    const platform::FileView contents = installer.contents();
    if (!contents.isOpen()) return "the installer cannot be read";
    std::string comment;
    const SignatureVerdict verdict =
        verifySignature(settings.publicKey, signature, contents.bytes(), &comment);
    if (verdict != SignatureVerdict::Genuine) return refusalReason(verdict);
    const std::optional<std::string> signedVersion = signedVersionText(comment);
    if (!signedVersion) return "its signature names no version";
    if (versionValue(*signedVersion) != offeredVersion) {
        return "it is signed for version " + std::to_string(versionValue(*signedVersion)) +
               ", not the offered " + std::to_string(offeredVersion);
    }
    return {};
}

}  // namespace

int fetchCheckedInstaller(const UpdaterSettings& settings, int offeredVersion) {
    platform::UncheckedProgram installer(kInstallerFile);
    if (!installer.isOpen()) {
        std::fprintf(stderr, "Updater: %s: cannot be written\n", kInstallerFile);
        return -1;
    }
    const platform::Download download = platform::downloadToDescriptor(
        endpointUrl(settings.endpoint, "/update.exe"), installer.descriptor(), settings.downloads,
        settings.largestInstaller);
    if (!download) {
        std::fprintf(stderr, "Updater: %s\n", download.failure.c_str());
        return -1;
    }
    if (!settings.publicKey.empty()) {
        const std::string why = refusal(settings, installer, offeredVersion);
        if (!why.empty()) {
            std::fprintf(stderr, "Updater: update refused, %s\n", why.c_str());
            return -1;
        }
    }
    const int checked = installer.makeRunnable();
    if (checked < 0) std::fprintf(stderr, "Updater: %s: cannot be made runnable\n", kInstallerFile);
    return checked;
}
