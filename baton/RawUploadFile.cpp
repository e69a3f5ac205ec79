#include "baton/RawUploadFile.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace fs = std::filesystem;

namespace veltrona {

namespace {

std::string hex2(unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

// A file opened for one write and closed again, reporting every failure as FileError.
class OpenFile {
public:
    OpenFile(const fs::path& file, const char* mode) : file_(file) {
        f_ = std::fopen(file.string().c_str(), mode);
        if (!f_)
            throw FileError(file, std::string("cannot open file: ") + std::strerror(errno));
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (f_)
            std::fclose(f_);
    }
    void write(std::string_view text) {
        if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f_) != text.size())
            fail("write failed");
    }
    void flush() {
        if (std::fflush(f_) != 0)
            fail("write failed");
    }
    void close() {
        std::FILE* f = f_;
        f_ = nullptr;
        if (std::fclose(f) != 0)
            throw FileError(file_, std::string("close failed: ") + std::strerror(errno));
    }

private:
    [[noreturn]] void fail(const char* what) {
        throw FileError(file_, std::string(what) + ": " + std::strerror(errno));
    }
    fs::path file_;
    std::FILE* f_ = nullptr;
};

} // namespace

RawUploadFile RawUploadFile::InWorkDir(const fs::path& workDir) {
    return RawUploadFile(textfile::resolveName(workDir, "Raw.txt"));
}

int BlockMonth(std::uint8_t b4) {
    const int m = b4 & 0x1F;
    return m > 10 ? m - 6 : m;
}

int InferBlockYear(std::uint8_t b4, const DateTime& today) {
    return today.month < BlockMonth(b4) ? today.year - 1 : today.year;
}

namespace {

std::string fixedPart(const std::array<std::uint8_t, 8>& b) {
    return "000000" + hex2(b[0]) + hex2(b[1]) + hex2(b[2]);
}

std::string yearPart(const std::array<std::uint8_t, 8>& b, const DateTime& today) {
    const int year = InferBlockYear(b[3], today);
    return twoDigits(((year % 100) + 100) % 100);
}

std::string restPart(const std::array<std::uint8_t, 8>& b, int pktCount) {
    return hex2(b[3] & 0x1Fu) + hex2(b[4] & 0x3Fu) + hex2(b[5]) + hex2(b[6]) +
           std::to_string(((pktCount % 100) + 100) % 100);
}

} // namespace

std::string ClockingLine(const std::array<std::uint8_t, 8>& block, int pktCount,
                         const DateTime& today) {
    return fixedPart(block) + yearPart(block, today) + restPart(block, pktCount);
}

void RawUploadFile::start(std::string_view idLine) const {
    OpenFile f(file_, "wb");
    f.write(idLine);
    f.write("\r\n");
    f.close();
}

void RawUploadFile::appendClocking(const std::array<std::uint8_t, 8>& block, int pktCount,
                                   const DateTime& today) const {
    OpenFile f(file_, "ab");
    f.write(fixedPart(block));
    f.flush();
    f.write(yearPart(block, today));
    f.flush();
    f.write(restPart(block, pktCount));
    f.write("\r\n");
    f.close();
}

void RawUploadFile::writeProgrammeEnd() const {
    OpenFile f(file_, "wb");
    f.write("Done");
    f.close();
}

void RawUploadFile::appendDone() const {
    const std::string bytes = textfile::readAll(file_);
    std::istringstream in(bytes);
    const std::vector<std::string> all = textfile::readLines(in);
    const std::string last = all.empty() ? std::string() : all.back();
    if (last == "Done")
        return;
    OpenFile f(file_, "ab");
    if (!bytes.empty() && bytes.back() == '\r')
        f.write("\n");
    else if (!bytes.empty() && bytes.back() != '\n')
        f.write("\r\n");
    f.write("Done\r\n");
    f.close();
}

std::vector<std::string> RawUploadFile::lines() const {
    if (!textfile::fileExists(file_))
        return {};
    return textfile::readLines(file_);
}

std::string RawUploadFile::lastLine() const {
    const auto all = lines();
    return all.empty() ? std::string() : all.back();
}

} // namespace veltrona
