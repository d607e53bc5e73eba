// A private temporary directory for a test, removed with everything in it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qx::test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qx-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }
    unsigned mode(const std::string& name) const {
        struct stat st;
        return ::stat(file(name).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }
    // Names of everything in the directory, for "nothing else was left behind".
    std::size_t entry_count() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }

private:
    std::string path_;
};

// The working directory changed for as long as this lives, for code that uses
// relative names.
class InDir {
public:
    explicit InDir(const std::string& dir) : old_(std::filesystem::current_path()) { std::filesystem::current_path(dir); }
    ~InDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
    }
    InDir(const InDir&) = delete;
    InDir& operator=(const InDir&) = delete;

private:
    std::filesystem::path old_;
};

}  // namespace qx::test
