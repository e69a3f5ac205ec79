#pragma once

#include <string>
#include <vector>

namespace veltrona {

class MessageTable;

// The lines of the download reports: the text report and the comma-separated report of one site,
// block by block in the order processing writes them, and the texts handed to the PDF layout.
// Every function is pure over its inputs.
namespace reporttext {

inline constexpr const char* VersionText = "1.03b";
inline constexpr const char* DashesLine = "   ---   ---   ---   ---   ---   ---   ---   ---";

// Written before a new section when the report file already holds one.
std::vector<std::string> SectionSeparator();

// One clocking of the listing, as the second pass has read it.
struct Clocking {
    std::string date;     // 2011/08/09
    std::string time;     // 14:05, hour without its flags
    std::string interval; // 01:05 or five spaces
    std::string id;
    std::string name;
    bool valid = true; // false: the record check failed (combined mode)
    bool flagA = false;
    bool flagB = false;
};

struct FrequencyRow {
    std::string id;
    std::string name; // the checkpoint line's characters 10 to the end
    int count = 0;
};

// The site's own checkpoints in file order (zero counts included) and, when the common list
// exists, the common checkpoints in file order.
struct Frequencies {
    std::vector<FrequencyRow> own;
    std::vector<FrequencyRow> common;
    // Own counts plus the common counts greater than 0.
    int total() const;
};

struct WarningCounts {
    int corrupt = 0;   // corrupt records credited to the site
    int reversals = 0; // records earlier than the record before them
    int records = 0;   // records that matched a site, duplicates included
    // One reversal among more than 4000 records: the baton memory wrapped round.
    bool memoryWrap() const { return reversals == 1 && records > 4000; }
    bool any() const { return corrupt > 0 || reversals > 0 || memoryWrap(); }
};

// Text report.
std::vector<std::string> TextHeader(const MessageTable& m, const std::string& reportHeader,
                                    const std::string& site);
struct ListingHeading {
    bool combined = false;
    std::string downloadDate;
    std::string batonName;   // normal mode
    std::string versionCode; // normal mode
    std::string identity;    // combined mode
    bool sorted = false;     // combined mode
};
std::vector<std::string> TextListingHeading(const MessageTable& m, const ListingHeading& h);
// A unit marker line (minute value 128 or more) as its three-line block.
std::vector<std::string> TextUnitMarker(const MessageTable& m, const std::string& line);
// The round separator line.
std::string TextRoundSeparator(const MessageTable& m);
std::vector<std::string> TextClocking(const MessageTable& m, const Clocking& c);
std::vector<std::string> TextFrequencyReport(const MessageTable& m, const Frequencies& f);
// The warning lines alone (shared by the text block, the comma-separated report and the PDF).
std::vector<std::string> WarningLines(const MessageTable& m, const WarningCounts& w);
std::vector<std::string> TextWarningsBlock(const MessageTable& m, const WarningCounts& w);
std::vector<std::string> Footer(const MessageTable& m, const std::string& aboutWeb);

// Comma-separated report.
struct CsvHeading {
    std::string from;
    std::string to;
    std::string downloadDate;
    std::string reportHeader;
    std::string site;
    std::string batonName;
};
std::vector<std::string> CsvHeader(const CsvHeading& h);
std::vector<std::string> CsvFrequencyRows(const Frequencies& f);
std::string CsvListingHeading();
// Only clockings with both flags clear get a row; false when this one gets none.
bool CsvClockingRow(const Clocking& c, std::string& row);

// PDF texts.
std::string PdfTitle(const MessageTable& m, bool combined, const std::string& reportHeader);
std::string PdfFooter(const std::string& reportFooter);
std::string PdfSubtitle(bool combined, const std::string& site, const std::string& identity);

} // namespace reporttext
} // namespace veltrona
