#include "app/BatonNames.h"

#include "platform/TextFile.h"

namespace veltrona {

namespace {

constexpr const char* FileName = "batname.cfg";
constexpr const char* HeadLine = "//Baton names for their serial number";
constexpr const char* EndLine = "//End of file";
constexpr std::size_t SerialLength = 8;

bool isEntry(const std::string& line) {
    return line.size() > 10;
}

std::string captionOf(const std::string& serial) {
    return serial.size() > 4 ? serial.substr(4, 4) : std::string();
}

} // namespace

std::filesystem::path BatonNames::file() const {
    return textfile::resolveName(workDir_, FileName);
}

std::filesystem::path BatonNames::tempFile() const {
    return textfile::resolveName(workDir_, "temp.cfg");
}

std::vector<std::string> BatonNames::readOrCreate(bool withEndLine) {
    const auto path = file();
    if (!textfile::fileExists(path)) {
        std::vector<std::string> lines = {HeadLine, "", ""};
        if (withEndLine)
            lines.emplace_back(EndLine);
        textfile::replaceFileLines(path, lines, tempFile());
        return lines;
    }
    return textfile::readLines(path);
}

void BatonNames::LoadBatonNames() {
    std::lock_guard lock(mutex_);
    const auto lines = readOrCreate(true);
    list_.clear();
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const auto& line = lines[i];
        if (!isEntry(line) || line == EndLine)
            continue;
        list_.push_back({line.substr(4, 4), line.substr(9)});
    }
}

std::string BatonNames::LookUpBatonName(const std::string& serial) {
    // Only a real serial is stored: any other text could never be found again and would add a
    // line to the file at every report.
    if (serial.size() != SerialLength)
        return serial;
    std::lock_guard lock(mutex_);
    auto lines = readOrCreate(false);
    std::optional<std::string> name;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const auto& line = lines[i];
        if (isEntry(line) && line.compare(0, SerialLength, serial) == 0)
            name = line.substr(9);
    }
    if (name)
        return *name;
    lines.push_back(serial + "=" + serial);
    textfile::replaceFileLines(file(), lines, tempFile());
    list_.push_back({captionOf(serial), serial});
    return serial;
}

void BatonNames::RenameBaton(const std::string& caption, const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto path = file();
    auto lines = textfile::readLines(path);
    // Only entries: the heading lines and the end marker are long enough to match a caption too.
    for (std::size_t i = 2; i < lines.size(); ++i) {
        auto& line = lines[i];
        if (isEntry(line) && line != EndLine && line.compare(4, 4, caption) == 0)
            line = line.substr(0, 8) + "=" + name;
    }
    textfile::replaceFileLines(path, lines, tempFile());
    for (auto& item : list_)
        if (item.caption == caption)
            item.name = name;
}

std::vector<BatonListItem> BatonNames::list() const {
    std::lock_guard lock(mutex_);
    return list_;
}

} // namespace veltrona
