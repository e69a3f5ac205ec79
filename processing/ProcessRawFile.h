#pragma once

#include "platform/DateTime.h"

#include <filesystem>
#include <string>

namespace veltrona {

class Workspace;

// Turns a raw upload file into reports. Normal mode (a baton download): one text, one
// comma-separated and one PDF report per site that received records, in the site's directory,
// named by the moment of processing (MMDDhhmm); the report opened as the settings say, and one
// action log line per such site. Combined mode (an Id line whose identity is longer than 16
// characters, written by the Reports dialog): Processed.txt (started afresh) and Processed.csv
// (appended to) in the working directory, and Report.pdf when SecureReports is on.
//
// Asks `workspace.askUnknownCheckpoints` when clockings of unknown checkpoints were found and
// DiscardUnknownCheckpoints is off; adds Ids a site's list lacks to its checkpt.lst.
//
// File errors throw FileError; the progress panel is hidden and the cursor restored on the way
// out, and the scratch files are left for the program's close to remove.
void ProcessRawFile(Workspace& workspace, const std::filesystem::path& rawFile);

// The stamp that names a download's reports: month, day, hour and minute, two digits each.
std::string ReportStamp(const DateTime& now);

// The local modification time of a file (the "download date" of its reports).
DateTime FileModificationTime(const std::filesystem::path& file);

} // namespace veltrona
