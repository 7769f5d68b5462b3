#include "launcher/game_folder.h"

#include <set>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Files the game and the update launcher write: never the installer's.
bool isPlayersOwn(const std::string& name) { return name == "Data.vrp" || name == "version.txt"; }

// A link an install made: it names a file of its own name in some
// install's content folder, whether or not that install is still there.
bool isInstallLink(const fs::path& entry, const fs::path& target) {
    return target.filename() == entry.filename() &&
           target.parent_path().filename() == "vorlune";
}

std::string describe(const char* what, const fs::path& path, const std::error_code& error) {
    return std::string(what) + " " + path.string() + ": " + error.message();
}

// Replaces the link at `entry` in one step, so that a game started
// meanwhile never finds the file missing.
std::string pointLinkAt(const fs::path& entry, const fs::path& target) {
    std::error_code error;
    const fs::path scratch = entry.parent_path() / (".vorlune-link-" + entry.filename().string());
    fs::remove(scratch, error);
    fs::create_symlink(target, scratch, error);
    if (!error) fs::rename(scratch, entry, error);
    if (!error) return {};
    std::error_code ignored;
    fs::remove(scratch, ignored);
    return describe("cannot link", entry, error);
}

std::set<std::string> shippedFiles(const fs::path& content, std::error_code& error) {
    std::set<std::string> names;
    for (fs::directory_iterator it(content, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file()) names.insert(it->path().filename().string());
    }
    return names;
}

struct InstallLink {
    fs::path entry;
    fs::path target;
};

std::vector<InstallLink> installLinks(const fs::path& folder, std::error_code& error) {
    std::vector<InstallLink> links;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path entry = it->path();
        if (isPlayersOwn(entry.filename().string()) || !it->is_symlink()) continue;
        std::error_code unreadable;
        const fs::path target = fs::read_symlink(entry, unreadable);
        if (!unreadable && isInstallLink(entry, target)) links.push_back({entry, target});
    }
    return links;
}

}  // namespace

std::string linkShippedContent(const fs::path& content, const fs::path& folder) {
    std::error_code error;
    const std::set<std::string> shipped = shippedFiles(content, error);
    if (error) return describe("cannot read the game's content in", content, error);
    if (shipped.empty()) return "no game content in " + content.string();

    const std::vector<InstallLink> links = installLinks(folder, error);
    if (error) return describe("cannot read", folder, error);
    for (const InstallLink& link : links) {
        const std::string name = link.entry.filename().string();
        if (shipped.count(name) == 0) {
            fs::remove(link.entry, error);
            if (error) return describe("cannot remove", link.entry, error);
        } else if (link.target != content / name) {
            if (std::string failed = pointLinkAt(link.entry, content / name); !failed.empty()) {
                return failed;
            }
        }
    }

    for (const std::string& name : shipped) {
        if (isPlayersOwn(name)) continue;
        const fs::path entry = folder / name;
        const fs::file_type existing = fs::symlink_status(entry, error).type();
        if (error && existing != fs::file_type::not_found) return describe("cannot look at", entry, error);
        if (existing != fs::file_type::not_found) continue;
        fs::create_symlink(content / name, entry, error);
        if (error) return describe("cannot link", entry, error);
    }
    return {};
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
