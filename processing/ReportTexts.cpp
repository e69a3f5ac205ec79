#include "processing/ReportTexts.h"

#include "platform/Chars.h"

#include "app/MessageTable.h"

namespace veltrona::reporttext {

namespace {

const std::string Q = "\"";

std::string sub(const std::string& s, std::size_t from1, std::size_t count) {
    return from1 - 1 < s.size() ? s.substr(from1 - 1, count) : std::string();
}

std::string padRight(std::string s, std::size_t width) {
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

void append(std::vector<std::string>& to, const std::vector<std::string>& lines) {
    to.insert(to.end(), lines.begin(), lines.end());
}

} // namespace

int Frequencies::total() const {
    int sum = 0;
    for (const auto& r : own)
        sum += r.count;
    for (const auto& r : common)
        if (r.count > 0)
            sum += r.count;
    return sum;
}

std::vector<std::string> SectionSeparator() {
    return {"", DashesLine, ""};
}

std::vector<std::string> TextHeader(const MessageTable& m, const std::string& reportHeader,
                                    const std::string& site) {
    return {reportHeader, "", m.Message(22) + " " + site, ""};
}

std::vector<std::string> TextListingHeading(const MessageTable& m, const ListingHeading& h) {
    std::vector<std::string> lines;
    if (h.combined) {
        lines.push_back(m.Message(45) + " " + h.downloadDate);
        lines.push_back(h.identity);
        if (h.sorted)
            lines.push_back(m.Message(46));
    } else {
        lines.push_back(m.Message(21) + " " + h.downloadDate);
        lines.push_back(m.Message(38) + " (" + h.batonName + ")  Ver" + h.versionCode);
    }
    lines.push_back("");
    lines.push_back(m.Message(39));
    return lines;
}

std::vector<std::string> TextUnitMarker(const MessageTable& m, const std::string& line) {
    // The minute without its marker bit; the marker bit makes the first digit 8 or more.
    const int high = hexDigit(line.size() >= 21 ? line[20] : '0') - 8;
    const char minuteHigh = "0123456789ABCDEF"[high < 0 ? 0 : high];
    std::string text = "20" + sub(line, 13, 2) + "/" + sub(line, 15, 2) + "/" + sub(line, 17, 2) +
                       " " + sub(line, 19, 2) + ":" + minuteHigh + sub(line, 22, 1) + "  " +
                       m.Message(38) + " (" + sub(line, 9, 4) + ")";
    return {m.Message(44), text, m.Message(44)};
}

std::string TextRoundSeparator(const MessageTable& m) {
    return m.Message(44);
}

std::vector<std::string> TextClocking(const MessageTable& m, const Clocking& c) {
    const std::string start = c.date + " " + c.time + " " + c.interval + "  ";
    if (c.flagB)
        return {start + "<" + c.id + ">   " + c.name, m.Message(82)};
    if (c.flagA)
        return {start + "[" + c.id + "]   " + c.name};
    return {start + "(" + c.id + ")   " + c.name};
}

std::vector<std::string> TextFrequencyReport(const MessageTable& m, const Frequencies& f) {
    std::vector<std::string> lines = {"", "", m.Message(24), "", m.Message(25)};
    auto row = [](const FrequencyRow& r) {
        return padRight(std::to_string(r.count), 11) + "(" + r.id + ")   " + r.name;
    };
    for (const auto& r : f.own)
        lines.push_back(row(r));
    for (const auto& r : f.common)
        if (r.count > 0)
            lines.push_back(row(r));
    lines.push_back("-----------");
    lines.push_back(std::to_string(f.total()));
    return lines;
}

std::vector<std::string> WarningLines(const MessageTable& m, const WarningCounts& w) {
    std::vector<std::string> lines;
    if (w.corrupt > 0)
        lines.push_back(std::to_string(w.corrupt) + " " + m.Message(26));
    if (w.memoryWrap()) {
        lines.push_back(m.Message(154));
        lines.push_back(m.Message(155));
        lines.push_back(m.Message(156));
    } else if (w.reversals > 0) {
        lines.push_back(m.Message(157));
        lines.push_back(m.Message(158));
    }
    return lines;
}

std::vector<std::string> TextWarningsBlock(const MessageTable& m, const WarningCounts& w) {
    std::vector<std::string> lines = {"", "", " " + m.Message(72), ""};
    append(lines, WarningLines(m, w));
    return lines;
}

std::vector<std::string> Footer(const MessageTable& m, const std::string& aboutWeb) {
    return {"", m.Message(61), m.Message(62) + " " + VersionText, aboutWeb};
}

std::vector<std::string> CsvHeader(const CsvHeading& h) {
    return {"Ruvave Rurudo Vidovez's Location visit Report",
            "",
            "From," + h.from,
            "To," + h.to,
            "Downloaded," + h.downloadDate,
            "For," + h.reportHeader,
            "Site," + h.site,
            "",
            "Unit/User," + h.batonName,
            "",
            "Points clocked with this unit",
            "Code,Pointname,Times clocked"};
}

std::vector<std::string> CsvFrequencyRows(const Frequencies& f) {
    std::vector<std::string> lines;
    auto row = [](const FrequencyRow& r) {
        return Q + r.id + Q + "," + Q + r.name + Q + "," + std::to_string(r.count);
    };
    for (const auto& r : f.own)
        if (r.count != 0)
            lines.push_back(row(r));
    for (const auto& r : f.common)
        if (r.count > 0)
            lines.push_back(row(r));
    lines.push_back("Total,," + std::to_string(f.total()));
    return lines;
}

std::string CsvListingHeading() {
    return "Date,Time,Interval,Code,Point";
}

bool CsvClockingRow(const Clocking& c, std::string& row) {
    if (c.flagA || c.flagB)
        return false;
    if (c.valid)
        row = c.date + "," + c.time + "," + c.interval + "," + Q + c.id + Q + "," + Q + c.name + Q;
    else
        row = c.date + " " + c.time + "," + c.interval + "," + c.id + "," + c.name;
    return true;
}

std::string PdfTitle(const MessageTable& m, bool combined, const std::string& reportHeader) {
    return m.Message(combined ? 171 : 170) + " " + reportHeader;
}

std::string PdfFooter(const std::string& reportFooter) {
    return reportFooter + "   Ver " + VersionText;
}

std::string PdfSubtitle(bool combined, const std::string& site, const std::string& identity) {
    return combined ? site : site + " - (" + identity + ")";
}

} // namespace veltrona::reporttext
