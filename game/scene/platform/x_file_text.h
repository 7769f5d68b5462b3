#pragma once
// What the mesh importer is given to read. Its readers size their arrays
// from the counts a file declares before they read what follows, so a file
// of a few bytes claiming a hundred million vertices took gigabytes and
// seconds before it was found broken; and its binary reader takes any four
// bytes for a number and reads zeros past the end of the file. So every
// file reaches it as text, unpacked and written out as text where it was
// binary, and only once each count that sizes an array is covered by the
// numbers that follow it, every face names vertices (and normals) that
// exist, and every mesh's material list is one the importer can build the
// mesh from: it reads vertices at whatever index a face gives, and
// materials and faces at whatever index a material list gives.

#include <optional>
#include <string>

namespace platform {

// `bytes` is the whole file, header included, in any of the format's forms:
// text, binary, or either of them compressed. Nothing when it is not an .x
// file, cannot be unpacked, declares more than it holds, names vertices
// it does not have or has a material list the importer cannot build from.
std::optional<std::string> xFileAsCheckedText(const std::string& bytes);

}  // namespace platform
