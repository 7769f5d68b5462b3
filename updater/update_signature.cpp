#include "updater/update_signature.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace {

// Each key and signature starts with its algorithm, then the key id.
constexpr size_t kAlgorithmBytes = 2;
constexpr size_t kKeyIdBytes = 8;
constexpr size_t kAfterKeyId = kAlgorithmBytes + kKeyIdBytes;
using KeyId = std::array<unsigned char, kKeyIdBytes>;
using Signature = std::array<unsigned char, crypto_sign_BYTES>;

struct PublicKey {
    KeyId keyId;
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> key;
};

struct SignatureFile {
    bool prehashed = false;
    KeyId keyId;
    Signature signature;
    std::string_view trustedComment;
    Signature globalSignature;
};

// Exactly `size` bytes from standard, padded base64, or nothing.
template <size_t size>
std::optional<std::array<unsigned char, size>> decodeBase64(std::string_view text) {
    std::array<unsigned char, size> bytes;
    size_t decoded = 0;
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &decoded,
                          nullptr, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        decoded != size) {
        return std::nullopt;
    }
    return bytes;
}

template <typename Out, typename In>
Out slice(const In& bytes, size_t from) {
    Out out;
    std::copy_n(bytes.begin() + from, out.size(), out.begin());
    return out;
}

std::optional<PublicKey> readPublicKey(std::string_view base64) {
    const auto bytes = decodeBase64<kAfterKeyId + crypto_sign_PUBLICKEYBYTES>(base64);
    if (!bytes || (*bytes)[0] != 'E' || (*bytes)[1] != 'd') return std::nullopt;
    return PublicKey{slice<KeyId>(*bytes, kAlgorithmBytes),
                     slice<decltype(PublicKey::key)>(*bytes, kAfterKeyId)};
}

// Takes the next line off `text`, without its line break; a file edited on
// Windows ends its lines in "\r\n". Nothing when no text is left.
std::optional<std::string_view> takeLine(std::string_view& text) {
    if (text.empty()) return std::nullopt;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::optional<std::string_view> afterPrefix(std::optional<std::string_view> line,
                                            std::string_view prefix) {
    if (!line || !line->starts_with(prefix)) return std::nullopt;
    return line->substr(prefix.size());
}

std::optional<SignatureFile> readSignatureFile(std::string_view text) {
    const bool commented = afterPrefix(takeLine(text), "untrusted comment: ").has_value();
    const auto signatureLine = takeLine(text);
    const auto trustedComment = afterPrefix(takeLine(text), "trusted comment: ");
    const auto globalLine = takeLine(text);
    // Four lines, the last with or without its line break, and nothing after.
    if (!commented || !signatureLine || !trustedComment || !globalLine || !text.empty()) {
        return std::nullopt;
    }
    const auto signature = decodeBase64<kAfterKeyId + crypto_sign_BYTES>(*signatureLine);
    const auto globalSignature = decodeBase64<crypto_sign_BYTES>(*globalLine);
    if (!signature || !globalSignature || (*signature)[0] != 'E') return std::nullopt;
    const unsigned char algorithm = (*signature)[1];
    if (algorithm != 'd' && algorithm != 'D') return std::nullopt;
    return SignatureFile{algorithm == 'D', slice<KeyId>(*signature, kAlgorithmBytes),
                         slice<Signature>(*signature, kAfterKeyId), *trustedComment,
                         *globalSignature};
}

bool verifies(const Signature& signature, std::string_view message, const PublicKey& key) {
    return crypto_sign_verify_detached(signature.data(),
                                       reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(), key.key.data()) == 0;
}

}  // namespace

SignatureVerdict verifySignature(std::string_view publicKey, std::string_view signatureFile,
                                 std::string_view content, std::string* trustedComment) {
    const std::optional<PublicKey> key = readPublicKey(publicKey);
    if (sodium_init() < 0 || !key) return SignatureVerdict::BadPublicKey;
    const std::optional<SignatureFile> file = readSignatureFile(signatureFile);
    if (!file) return SignatureVerdict::Malformed;
    if (file->keyId != key->keyId) return SignatureVerdict::OtherKey;

    std::array<unsigned char, crypto_generichash_BYTES_MAX> hash;
    if (file->prehashed) {
        crypto_generichash(hash.data(), hash.size(),
                           reinterpret_cast<const unsigned char*>(content.data()), content.size(),
                           nullptr, 0);
        content = {reinterpret_cast<const char*>(hash.data()), hash.size()};
    }
    if (!verifies(file->signature, content, *key)) return SignatureVerdict::ContentAltered;

    std::string signedComment(file->signature.begin(), file->signature.end());
    signedComment += file->trustedComment;
    if (!verifies(file->globalSignature, signedComment, *key)) {
        return SignatureVerdict::CommentAltered;
    }
    if (trustedComment != nullptr) *trustedComment = file->trustedComment;
    return SignatureVerdict::Genuine;
}

std::optional<std::string> signedVersionText(std::string_view trustedComment) {
    // The last word, whatever the publisher put before it.
    constexpr std::string_view kKey = "version=";
    const size_t space = trustedComment.find_last_of(" \t");
    const std::string_view last =
        space == std::string_view::npos ? trustedComment : trustedComment.substr(space + 1);
    if (!last.starts_with(kKey) || last.size() == kKey.size()) return std::nullopt;
    return std::string(last.substr(kKey.size()));
}

const char* refusalReason(SignatureVerdict verdict) {
    switch (verdict) {
        case SignatureVerdict::Genuine: return "";
        case SignatureVerdict::BadPublicKey:
            return "the updater's public key is not a minisign key";
        case SignatureVerdict::Malformed: return "the signature file is malformed";
        case SignatureVerdict::OtherKey: return "the installer is signed with another key";
        case SignatureVerdict::ContentAltered: return "the installer does not match its signature";
        case SignatureVerdict::CommentAltered:
            return "the trusted comment does not match its signature";
    }
    return "";
}
