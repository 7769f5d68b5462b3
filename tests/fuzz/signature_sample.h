#pragma once
// An installer signed by a publisher in both of minisign's forms, with the
// public key that checks it; the secret key was thrown away once they were
// made. The fuzzer starts from these signatures.

namespace signature_sample {

constexpr char kPublicKey[] = "RWTX1KNXgjfaNVbluYZINE0EdDY7qGVIoawaPhvWjK/0kneDo7WK3rue";
constexpr char kInstaller[] = "#!/bin/sh\necho installing\n";

// BLAKE2b-512 of the installer, signed: what minisign makes by default.
constexpr char kPrehashed[] =
    "untrusted comment: signature from minisign secret key\n"
    "RUTX1KNXgjfaNXgSWTWZXH6KiZTJHsCzZdzCiZ/"
    "ahZ8G71xXtOij8YgjyW9ON4tihxdWsjMnoD4HsskY6AN62MSTNrI7BjmcqgQ=\n"
    "trusted comment: version 13\n"
    "U4k03vxS1V1ZPn3fGk+l7dnS3Kd7jq34fkVcSeD68Lrxic7J8Ri/Q6or2+kSHeGwIIkyNcwhoXRQlI5Dws9qDg==\n";

// The installer's bytes themselves, signed: minisign -l.
constexpr char kLegacy[] =
    "untrusted comment: signature from minisign secret key\n"
    "RWTX1KNXgjfaNToOKOzlx0wfw/"
    "N62E9BpMfWohumsiKuWigXa9iZFzB1LGU1TD419rbJZc8a40BTI8nboBz0gbkQcHd7GzYJcAA=\n"
    "trusted comment: version 13\n"
    "UpR19mj3YV9TxFsnQKQKS6M9LhT6en5TMXVAS+LmXYX8LvB1cxuytgVY1PHMcd14TizcrU0ABL8hOZ9RFBKYBQ==\n";

}  // namespace signature_sample
