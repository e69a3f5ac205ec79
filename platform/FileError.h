#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace veltrona {

// A file could not be read, written, created or renamed. Caught at the boundary of an event
// handler or CLI command and shown there; the running operation stops.
class FileError : public std::runtime_error {
public:
    FileError(const std::filesystem::path& file, const std::string& reason)
        : std::runtime_error(file.string() + ": " + reason), file_(file), reason_(reason) {}
    const std::filesystem::path& file() const { return file_; }
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path file_;
    std::string reason_;
};

} // namespace veltrona
