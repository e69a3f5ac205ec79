#include "tests/support/TempWorkDir.h"

#include "platform/TextFile.h"

#include <atomic>
#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace fs = std::filesystem;

namespace veltrona::test {

TempWorkDir::TempWorkDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->name()) : std::string("veltrona");
    for (auto& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    path_ = fs::temp_directory_path() /
            ("veltrona-" + name + "-" + std::to_string(rd()) + "-" + std::to_string(++counter));
    fs::create_directories(path_);
}

TempWorkDir::~TempWorkDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void TempWorkDir::writeLines(const std::string& relative, const std::vector<std::string>& lines,
                             bool lastLineEnd) const {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i];
        if (lastLineEnd || i + 1 < lines.size())
            bytes += "\r\n";
    }
    writeBytes(relative, bytes);
}

void TempWorkDir::writeBytes(const std::string& relative, const std::string& bytes) const {
    const fs::path p = path_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempWorkDir::readBytes(const std::string& relative) const {
    return textfile::readAll(path_ / relative);
}

std::vector<std::string> TempWorkDir::readLines(const std::string& relative) const {
    return textfile::readLines(path_ / relative);
}

} // namespace veltrona::test
