#include "launcher/game_folder.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kLinkList[] = ".vorlune-links";

// Files the game and the updater write: never the installer's.
bool isPlayersOwn(const std::string& name) { return name == "Data.vrp" || name == "version.txt"; }

std::string describe(const char* what, const fs::path& path, const std::error_code& error) {
    return std::string(what) + " " + path.string() + ": " + error.message();
}

// A name of this process's own beside `entry`: launchers started together
// never share one.
fs::path scratchFor(const fs::path& entry, const char* kind) {
    return entry.parent_path() / (".vorlune-" + std::string(kind) + "-" + std::to_string(getpid()) +
                                  "-" + entry.filename().string());
}

// Puts a link to `target` at `entry` in one step. Replacing: whatever link
// stands there goes; otherwise only a free name is taken, and a link to the
// same target that another launcher made just now counts as made.
std::error_code placeLink(const fs::path& entry, const fs::path& target, bool replacing) {
    std::error_code error;
    const fs::path scratch = scratchFor(entry, "link");
    fs::remove(scratch, error);
    fs::create_symlink(target, scratch, error);
    if (error) return error;
    const unsigned flags = replacing ? 0 : RENAME_NOREPLACE;
    if (renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, entry.c_str(), flags) == 0) return {};
    error.assign(errno, std::generic_category());
    std::error_code ignored;
    fs::remove(scratch, ignored);
    if (error == std::errc::file_exists && fs::read_symlink(entry, ignored) == target) return {};
    return error;
}

std::set<std::string> shippedFiles(const fs::path& content, std::error_code& error) {
    std::set<std::string> names;
    for (fs::directory_iterator it(content, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file()) names.insert(it->path().filename().string());
    }
    return names;
}

// The links the launcher made, by name, with where each pointed then.
using LinkList = std::map<std::string, fs::path>;

std::optional<LinkList> readLinkList(const fs::path& folder) {
    std::ifstream file(folder / kLinkList);
    if (!file) return std::nullopt;
    LinkList links;
    for (std::string line; std::getline(file, line);) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) continue;
        links[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return links;
}

std::string writeLinkList(const fs::path& folder, const LinkList& links) {
    std::ostringstream text;
    for (const auto& [name, target] : links) text << name << '\t' << target.string() << '\n';
    const fs::path list = folder / kLinkList;
    const fs::path scratch = scratchFor(list, "list");
    std::error_code error;
    {
        std::ofstream file(scratch, std::ios::trunc);
        file << text.str();
        if (!file.flush()) error = std::make_error_code(std::errc::io_error);
    }
    if (!error) fs::rename(scratch, list, error);
    if (!error) return {};
    std::error_code ignored;
    fs::remove(scratch, ignored);
    return describe("cannot write", list, error);
}

// A folder from before the list: the links to this install's own files, and
// those an earlier install left pointing at nothing (a file of the same
// name in a folder named "vorlune" that is gone), were made by launchers.
LinkList adoptedLinks(const fs::path& content, const fs::path& folder, std::error_code& error) {
    LinkList links;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path entry = it->path();
        const std::string name = entry.filename().string();
        if (isPlayersOwn(name) || !it->is_symlink()) continue;
        std::error_code unreadable;
        const fs::path target = fs::read_symlink(entry, unreadable);
        if (unreadable) continue;
        const bool ours = target == content / name;
        const bool leftOver = target.filename() == name &&
                              target.parent_path().filename() == "vorlune" &&
                              !fs::exists(target, unreadable);
        if (ours || leftOver) links[name] = target;
    }
    return links;
}

}  // namespace

std::string linkShippedContent(const fs::path& content, const fs::path& folder) {
    std::error_code error;
    const std::set<std::string> shipped = shippedFiles(content, error);
    if (error) return describe("cannot read the game's content in", content, error);
    if (shipped.empty()) return "no game content in " + content.string();

    std::optional<LinkList> listed = readLinkList(folder);
    if (!listed) {
        listed = adoptedLinks(content, folder, error);
        if (error) return describe("cannot read", folder, error);
    }
    LinkList made;
    for (const auto& [name, recorded] : *listed) {
        const fs::path entry = folder / name;
        std::error_code gone;
        // A listed link the player has pointed elsewhere, or replaced, is theirs now.
        if (fs::read_symlink(entry, gone) != recorded || gone) continue;
        if (shipped.count(name) == 0) {
            fs::remove(entry, error);
            if (error) return describe("cannot remove", entry, error);
            continue;
        }
        if (recorded != content / name) error = placeLink(entry, content / name, true);
        if (error) return describe("cannot link", entry, error);
        made[name] = content / name;
    }

    for (const std::string& name : shipped) {
        if (isPlayersOwn(name) || made.count(name) != 0) continue;
        const fs::path entry = folder / name;
        const fs::file_type existing = fs::symlink_status(entry, error).type();
        if (error && existing != fs::file_type::not_found)
            return describe("cannot look at", entry, error);
        error.clear();
        if (existing != fs::file_type::not_found) continue;
        error = placeLink(entry, content / name, false);
        if (error == std::errc::file_exists) continue;  // the player's, made just now
        if (error) return describe("cannot link", entry, error);
        made[name] = content / name;
    }
    return writeLinkList(folder, made);
}

fs::path playerGameFolder(const char* xdgDataHome, const char* home) {
    // Relative paths in these variables are invalid and to be ignored.
    if (xdgDataHome != nullptr && fs::path(xdgDataHome).is_absolute()) {
        return fs::path(xdgDataHome) / "vorlune";
    }
    if (home != nullptr && fs::path(home).is_absolute()) {
        return fs::path(home) / ".local" / "share" / "vorlune";
    }
    return {};
}
