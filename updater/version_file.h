#pragma once
// Version files: "version.txt", the version installed here, and "new.txt",
// the copy of the version published at the update endpoint. Both hold a
// decimal number as text.

#include <optional>
#include <string>

// The file's last line, or "0" when the file cannot be opened. A file that
// ends in a line break therefore reads as the empty text. A carriage return
// before a line break is not part of the line. Only the first 4096
// characters of a line are kept.
std::string readVersionText(const std::string& fileName);

// The number a version text stands for, read as the C library's atoi reads
// it: " 7abc" is 7, text without leading digits is 0; a number beyond the
// 32-bit range is held at its ends.
int versionValue(const std::string& text);

// Replaces the file's content with exactly `text`, no line break added, in
// one step: a failure leaves the previous file as it was.
bool writeVersionText(const std::string& fileName, const std::string& text);

// What recording a new version replaced, so that it can be put back.
struct ReplacedVersion {
    std::string fileName;
    bool recorded = false;  // the file now holds the new version
    // The file's exact bytes before; nothing when it could not be read.
    std::optional<std::string> previous;
};

// writeVersionText, keeping what the file held.
ReplacedVersion recordVersion(const std::string& fileName, const std::string& text);

// Undoes recordVersion, in one step: the file holds its previous bytes
// again, or is gone again when there were none to read (it read as "0"
// then and does so again).
void takeBackVersion(const ReplacedVersion& replaced);
