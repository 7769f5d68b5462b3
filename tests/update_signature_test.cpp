#include "updater/update_signature.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fuzz/signature_sample.h"

namespace {

// A publisher's signature file, in either of minisign's forms, however an
// editor on Windows left its lines ended, checks out.
TEST(UpdateSignature, EitherFormChecksOutWithUnixOrWindowsLineEnds) {
    for (const std::string unixFile : {signature_sample::kPrehashed, signature_sample::kLegacy}) {
        std::string windows;
        for (const char c : unixFile)
            windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::string& file : {unixFile, windows, windows.substr(0, windows.size() - 2)}) {
            std::string comment;
            EXPECT_EQ(verifySignature(signature_sample::kPublicKey, file,
                                      signature_sample::kInstaller, &comment),
                      SignatureVerdict::Genuine)
                << testing::PrintToString(file);
            EXPECT_EQ(comment, "version 13");
        }
    }
}

// The version is the comment's last word after "version="; a comment that
// names none, or an empty one, offers nothing to compare with.
TEST(UpdateSignature, TheSignedVersionIsTheLastWordAndNeverEmpty) {
    const std::pair<const char*, std::optional<std::string>> comments[] = {
        {"Vorlune update version=13", "13"},
        {"notes\tversion=013", "013"},
        {"version=7", "7"},
        {"Vorlune update version=", std::nullopt},
        {"version=", std::nullopt},
        {"version=13 later", std::nullopt},
        {"version 13", std::nullopt},
    };
    for (const auto& [comment, version] : comments)
        EXPECT_EQ(signedVersionText(comment), version) << comment;
}

}  // namespace
