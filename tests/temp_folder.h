#pragma once
// A fresh temporary folder made the working directory for the test's life,
// as the game opens every file by its bare name.

#include <unistd.h>

#include <filesystem>
#include <string>

class TempWorkingFolder {
public:
    TempWorkingFolder() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlune-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        std::filesystem::current_path(path_);
    }
    ~TempWorkingFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

    // Copies a file of the assembled game folder here.
    void copyFromGame(const std::string& name) const {
        std::filesystem::copy_file(std::filesystem::path(VORLUNE_DIST_DIR) / name, path_ / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }

    // Copies every content file of the assembled game folder here.
    void copyWholeGame() const {
        for (const auto& entry : std::filesystem::directory_iterator(VORLUNE_DIST_DIR)) {
            if (!entry.is_regular_file()) continue;
            const std::string name = entry.path().filename().string();
            if (name == "Game" || name == "Updater") continue;
            std::filesystem::copy_file(entry.path(), path_ / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};
