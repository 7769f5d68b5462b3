#pragma once
// The publisher signs each installer offline with the minisign tool; the
// updater holds the public key and starts nothing that key did not sign.
//
// A public key is the base64 line of a minisign key file: "Ed", an 8-byte
// key id, the 32-byte Ed25519 key. A signature file ("update.exe.minisig")
// has four lines: an untrusted comment; the base64 of an algorithm ("Ed"
// signs the file's bytes, "ED" their BLAKE2b-512 hash), the signer's key id
// and the 64-byte signature; "trusted comment: " and its text; the base64 of
// a signature over the first signature followed by that text.

#include <optional>
#include <string>
#include <string_view>

enum class SignatureVerdict {
    Genuine,
    BadPublicKey,    // the updater's own key is not one
    Malformed,       // not a signature file of a known form
    OtherKey,        // signed, but not with the publisher's key
    ContentAltered,  // the file's signature does not match it
    CommentAltered,  // the trusted comment's signature does not match it
};

// `trustedComment`, when given, receives the comment of a genuine signature.
SignatureVerdict verifySignature(std::string_view publicKey, std::string_view signatureFile,
                                 std::string_view content, std::string* trustedComment = nullptr);

// The version a trusted comment names: the publisher ends it in
// "version=<v>" (minisign -t "... version=13"). Nothing when it names none.
std::optional<std::string> signedVersionText(std::string_view trustedComment);

// Why an update was refused, in a few words; empty for Genuine.
const char* refusalReason(SignatureVerdict verdict);
