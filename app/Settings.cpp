#include "app/Settings.h"

#include "app/Trace.h"
#include "platform/TextFile.h"

#include <charconv>
#include <optional>

namespace veltrona {

namespace {

constexpr const char* FileName = "Veltrona.ini";

std::filesystem::path settingsFile(const std::filesystem::path& workDir) {
    return textfile::resolveName(workDir, FileName);
}

// The name of an entry is the text before its first "="; a line without "=" has none.
std::optional<std::string> entryName(const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return line.substr(0, eq);
}

// The value of the first entry named `key` (without regard to case).
std::optional<std::string> findValue(const std::vector<std::string>& lines,
                                     const std::string& key) {
    for (const auto& line : lines) {
        const auto name = entryName(line);
        if (name && textfile::equalsNoCase(*name, key))
            return line.substr(name->size() + 1);
    }
    return std::nullopt;
}

// A decimal integer as a user may type it: leading blanks, an optional sign, digits only.
std::optional<int> parseDecimal(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    if (first == last)
        return std::nullopt;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last)
        return std::nullopt;
    return value;
}

enum class Kind { OnOff, OnOrT, Text, Night, Integer };

struct KeyRule {
    const char* key;
    Kind kind;
    bool Settings::*flag = nullptr;
    std::string Settings::*text = nullptr;
    int Settings::*number = nullptr;
    int aboutLine = -1; // index into aboutLines for AboutLine1..6
};

KeyRule onOff(const char* key, bool Settings::*f) {
    return {key, Kind::OnOff, f};
}
KeyRule onOrT(const char* key, bool Settings::*f) {
    return {key, Kind::OnOrT, f};
}
KeyRule text(const char* key, std::string Settings::*t) {
    return {key, Kind::Text, nullptr, t};
}
KeyRule integer(const char* key, int Settings::*n) {
    return {key, Kind::Integer, nullptr, nullptr, n};
}
KeyRule aboutLine(const char* key, int index) {
    return {key, Kind::Text, nullptr, nullptr, nullptr, index};
}

// Every key in the order the loader reads them, the ones no part acts on in their places.
const std::vector<KeyRule>& keyRules() {
    static const std::vector<KeyRule> rules = {
        onOff("UpdateDateTimeAutomatically", &Settings::updateDateTimeAutomatically),
        onOff("UploadVeltronaData", &Settings::uploadVeltronaData),
        onOff("ClearVeltronaMemory", &Settings::clearVeltronaMemory),
        onOff("GenerateFrequencyReport", &Settings::generateFrequencyReport),
        onOff("OpenReportAfterProcessing", &Settings::openReportAfterProcessing),
        onOff("DiscardUnknownCheckpoints", &Settings::discardUnknownCheckpoints),
        onOff("MinimizeOnStartup", &Settings::minimizeOnStartup),
        onOff("RemoveDuplicatePoints", &Settings::removeDuplicatePoints),
        onOff("SecureReports", &Settings::secureReports),
        text("ReportHeader", &Settings::reportHeader),
        text("ReportFooter", &Settings::reportFooter),
        aboutLine("AboutLine1", 0),
        aboutLine("AboutLine2", 1),
        aboutLine("AboutLine3", 2),
        aboutLine("AboutLine4", 3),
        aboutLine("AboutLine5", 4),
        aboutLine("AboutLine6", 5),
        text("AboutEmail", &Settings::aboutEmail),
        text("AboutWeb", &Settings::aboutWeb),
        text("LanguageFile", &Settings::languageFile),
        text("CommPort", &Settings::commPort),
        text("OutputFile", &Settings::outputFile),
        text("VeltronaId", &Settings::veltronaId),
        onOff("ShowCharge", &Settings::showCharge),
        // Names match without regard to case, so the three spellings ever written all land here;
        // each is read in turn and the last one present wins, as the old loader did.
        onOrT("ButtonRead", &Settings::buttonRead),
        onOrT("Buttonread", &Settings::buttonRead),
        onOrT("buttonread", &Settings::buttonRead),
        onOrT("Cal", &Settings::cal),
        {"DayorNight", Kind::Night},
        integer("DefaultReport", &Settings::defaultReport),
        integer("DefaultSite", &Settings::defaultSite),
        text("filetype", &Settings::filetype),
    };
    return rules;
}

} // namespace

void LoadSettings(const std::filesystem::path& workDir, Settings& settings, Trace& trace) {
    trace.Main("Start loadsetup");
    const auto file = settingsFile(workDir);
    if (!textfile::fileExists(file))
        textfile::replaceFileLines(file, {});
    trace.Main("finished created Veltrona ini");
    settings = Settings{};
    trace.Main("Set defaults");

    const auto lines = textfile::readLines(file);
    for (const auto& rule : keyRules()) {
        const auto value = findValue(lines, rule.key);
        if (!value)
            continue;
        switch (rule.kind) {
        case Kind::OnOff:
            settings.*rule.flag = *value == "T";
            break;
        case Kind::OnOrT:
            settings.*rule.flag = *value == "T" || *value == "On";
            break;
        case Kind::Text:
            if (rule.aboutLine >= 0)
                settings.aboutLines[static_cast<std::size_t>(rule.aboutLine)] = *value;
            else
                settings.*rule.text = *value;
            break;
        case Kind::Night:
            settings.nightShift = *value == "Night";
            break;
        case Kind::Integer:
            if (const auto n = parseDecimal(*value))
                settings.*rule.number = *n;
            else
                // A hand-edited value must not cost the user every later setting.
                trace.Main(std::string(rule.key) + " is not a number (" + *value +
                           "), default kept");
            break;
        }
    }
    trace.Main("finished ini file load");
}

void SetSetting(std::vector<std::string>& lines, const std::string& key, const std::string& value) {
    for (auto& line : lines) {
        const auto name = entryName(line);
        if (name && textfile::equalsNoCase(*name, key)) {
            line = key + "=" + value;
            return;
        }
    }
    lines.push_back(key + "=" + value);
}

std::vector<std::string> ReadSettingsLines(const std::filesystem::path& workDir) {
    const auto file = settingsFile(workDir);
    if (!textfile::fileExists(file))
        return {};
    return textfile::readLines(file);
}

void SaveSettingsLines(const std::filesystem::path& workDir,
                       const std::vector<std::string>& lines) {
    textfile::replaceFileLines(settingsFile(workDir), lines);
}

int PortNumberOf(const std::string& commPort) {
    if (commPort.empty())
        return 0;
    for (const char c : commPort)
        if (c < '0' || c > '9')
            return 0;
    int value = 0;
    const auto [ptr, ec] =
        std::from_chars(commPort.data(), commPort.data() + commPort.size(), value);
    if (ec != std::errc() || ptr != commPort.data() + commPort.size())
        return 0;
    return value;
}

} // namespace veltrona
