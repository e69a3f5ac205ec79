#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {

// One entry of the baton list: the caption (characters 5 to 8 of the serial) and the name.
struct BatonListItem {
    std::string caption;
    std::string name;

    friend bool operator==(const BatonListItem&, const BatonListItem&) = default;
};

// The baton names file `batname.cfg` of the working directory and the baton list shown by the
// Preferences dialog. Entries are lines longer than 10 characters from line 3 on: serial (8
// characters), "=", name. Rewrites go through `temp.cfg` and replace the file atomically.
// Errors reading or writing the file throw FileError.
class BatonNames {
public:
    explicit BatonNames(std::filesystem::path workDir) : workDir_(std::move(workDir)) {}

    // Fills the list from the file (replacing what it held), creating the file when missing.
    void LoadBatonNames();
    // The name stored for `serial` (the last matching entry wins). An unseen 8-character serial is
    // appended as serial=serial and returned; any other text is returned as it stands and never
    // stored, since it cannot be a baton serial.
    std::string LookUpBatonName(const std::string& serial);
    // Gives every entry whose serial has `caption` in characters 5 to 8 the name `name`, in the
    // file and in the list.
    void RenameBaton(const std::string& caption, const std::string& name);

    std::vector<BatonListItem> list() const;
    std::filesystem::path file() const;

private:
    std::filesystem::path tempFile() const;
    std::vector<std::string> readOrCreate(bool withEndLine);

    std::filesystem::path workDir_;
    mutable std::mutex mutex_;
    std::vector<BatonListItem> list_;
};

} // namespace veltrona
