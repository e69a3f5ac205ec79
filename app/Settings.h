#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace veltrona {

class Trace;

// The settings record: the main window's copy of Veltrona.ini. Every field starts at its default.
struct Settings {
    bool updateDateTimeAutomatically = true;
    bool uploadVeltronaData = true;
    bool clearVeltronaMemory = true;
    bool generateFrequencyReport = true;
    bool openReportAfterProcessing = true;
    bool discardUnknownCheckpoints = false;
    bool minimizeOnStartup = false; // read, never acted on
    bool removeDuplicatePoints = true;
    bool secureReports = true;
    std::string reportHeader = "Veltrona";
    std::string reportFooter = "www.veltrona.example";
    std::array<std::string, 6> aboutLines{}; // AboutLine1..6, read, never acted on
    std::string aboutEmail;                  // read, never acted on
    std::string aboutWeb = "www.veltrona.example";
    std::string languageFile = "English.lng";
    std::string commPort = "0";
    std::string outputFile; // read, never acted on
    std::string veltronaId; // read, never acted on
    bool showCharge = false;
    bool buttonRead = true;
    bool cal = false;
    bool nightShift = true; // DayorNight
    int defaultReport = 3;
    int defaultSite = 0;
    std::string filetype = "txt";
};

// Loads `workDir`/Veltrona.ini into `settings` (creating an empty file when missing), every key in
// its order; a DefaultReport or DefaultSite that is not a decimal integer keeps its default.
void LoadSettings(const std::filesystem::path& workDir, Settings& settings, Trace& trace);

// The write rule on the file's lines held in memory: the first line whose name equals `key`
// without regard to case is replaced, else the entry is appended.
void SetSetting(std::vector<std::string>& lines, const std::string& key, const std::string& value);

// Reads the lines of Veltrona.ini (empty when missing) and writes them back atomically.
std::vector<std::string> ReadSettingsLines(const std::filesystem::path& workDir);
void SaveSettingsLines(const std::filesystem::path& workDir, const std::vector<std::string>& lines);

// The port number of the CommPort text: its decimal value, 0 when it is not a number.
int PortNumberOf(const std::string& commPort);

} // namespace veltrona
