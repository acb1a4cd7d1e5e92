// A fresh directory that is the process's working directory for the life of the
// object: the driver reads CORVANE.INI from the working directory.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaline::testing {

class TempWorkDir {
public:
    TempWorkDir() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaline-drivers-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        std::filesystem::current_path(path_);
    }
    ~TempWorkDir() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes a file of this directory, replacing it; bytes are written unchanged.
    void WriteFile(const std::string& name, std::string_view text) const {
        std::ofstream file(path_ / name, std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

}  // namespace tessaline::testing
