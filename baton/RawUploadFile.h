#pragma once

#include "platform/DateTime.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// The hand-over file between the upload cycle and the processing: an Id line, one clocking line
// per data block, and "Done" once processed. Every write opens and closes the file, so the lines
// written before a failure are complete on disk. Write failures throw FileError.
class RawUploadFile {
public:
    explicit RawUploadFile(std::filesystem::path file) : file_(std::move(file)) {}
    // Raw.txt in the working directory (the on-disk spelling when one differs only in case).
    static RawUploadFile InWorkDir(const std::filesystem::path& workDir);

    const std::filesystem::path& path() const { return file_; }

    // Creates or truncates the file and writes the Id line, e.g. "Id : Brin0042".
    void start(std::string_view idLine) const;
    // Appends the clocking line of one data block; `pktCount` is the block count after counting
    // this block, `today` the local date when the block arrives (it decides the year).
    void appendClocking(const std::array<std::uint8_t, 8>& block, int pktCount,
                        const DateTime& today) const;
    // The end of a failed-patrol programme: the whole file becomes "Done" without a line end.
    void writeProgrammeEnd() const;
    // Marks the file processed: appends "Done" as a line of its own (after a line end when the
    // last line has none) unless the last line is "Done" already.
    void appendDone() const;

    // Every line; empty when the file is missing.
    std::vector<std::string> lines() const;
    // The last line; empty when the file is missing or empty.
    std::string lastLine() const;
    bool isProcessed() const { return lastLine() == "Done"; }

private:
    std::filesystem::path file_;
};

// The block's month: b4 AND 1F as a number, a BCD 10..12 (above 10) converted by subtracting 6.
int BlockMonth(std::uint8_t b4);
// The current year, less one when the block's month is later in the year than today's.
int InferBlockYear(std::uint8_t b4, const DateTime& today);
// The whole clocking line (without line end) of a data block.
std::string ClockingLine(const std::array<std::uint8_t, 8>& block, int pktCount,
                         const DateTime& today);

} // namespace veltrona
