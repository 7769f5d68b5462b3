// A signature file holding anything at all, as a broken or hostile server
// may send "update.exe.minisig": checking it must not crash, and nothing
// passes for the publisher's signature with a comment the publisher did not
// sign.

#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "signature_sample.h"
#include "updater/update_signature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const SignatureVerdict verdict =
        verifySignature(signature_sample::kPublicKey, input, signature_sample::kInstaller);
    if (verdict == SignatureVerdict::Genuine) {
        // The comment's line, ended as on Unix or on Windows.
        fuzz::require(input.find("\ntrusted comment: version 13\n") != std::string_view::npos ||
                          input.find("\ntrusted comment: version 13\r\n") != std::string_view::npos,
                      "only the signed comment passes");
    }
    return 0;
}
