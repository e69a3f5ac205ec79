#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace veltrona::test {

// A fresh, empty working directory under the system's temp folder, removed when the test ends.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes lines ending CR LF (the last one too unless `lastLineEnd` is false).
    void writeLines(const std::string& relative, const std::vector<std::string>& lines,
                    bool lastLineEnd = true) const;
    void writeBytes(const std::string& relative, const std::string& bytes) const;
    std::string readBytes(const std::string& relative) const;
    std::vector<std::string> readLines(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

} // namespace veltrona::test
