#pragma once
// The player's game folder of an installed game: the game opens every file
// by its bare name in its working directory, so the installed content is
// linked into a folder the player owns, beside the progress the game writes.

#include <filesystem>
#include <string>

// Brings the links in `folder` up to date with the files shipped in
// `content`: a shipped file with nothing of that name in the folder gets a
// symbolic link; a link the launcher made (it keeps a list of them in the
// folder, ".vorlune-links") is pointed at this install's file, or removed
// when the file is no longer shipped. Everything else is the player's and is
// never touched: files, the player's own links, and a listed link the player
// has pointed elsewhere since. "Data.vrp" and "version.txt" are never
// linked. A folder from before the list adopts the links that already point
// at this install's files and those an earlier install left pointing at
// nothing. Several launchers may do this at once. Returns an empty string on
// success, otherwise a one-line reason.
std::string linkShippedContent(const std::filesystem::path& content,
                               const std::filesystem::path& folder);

// The folder for the player's game: $XDG_DATA_HOME/vorlune, or
// ~/.local/share/vorlune. Empty when neither variable gives an absolute path.
std::filesystem::path playerGameFolder(const char* xdgDataHome, const char* home);
