#pragma once

#include "platform/PdfWriter.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace veltrona {

class Clock;
class LocaleFormats;
class MessageTable;

// Lays out every PDF report: the portrait download report (two columns of clocking rows, a
// frequency table, warning lines) and the landscape overview report (a 24-hour grid per day).
// One document at a time; callers start one, add to it and save it. Each Begin takes a fresh
// writer from the factory; starting a new document abandons an unsaved one.
class PdfPrint {
public:
    using WriterFactory = std::function<std::unique_ptr<PdfWriter>()>;

    PdfPrint(WriterFactory factory, const Clock& clock, const LocaleFormats& formats);
    ~PdfPrint();
    PdfPrint(const PdfPrint&) = delete;
    PdfPrint& operator=(const PdfPrint&) = delete;

    // Copies messages 1..199; 165 (brand subtitle), 166-168 (column headings) and 169 (the word
    // before the page number) are printed.
    void SetPdfTexts(const MessageTable& messages);

    // Download report (portrait 595 x 842).
    void BeginDownloadDocument(const std::string& title, const std::string& footer,
                               const std::string& subtitle);
    void AddClockingRow(const std::string& date, const std::string& time, const std::string& name,
                        bool roundStart);
    // `names` and `counts` go side by side; a missing count prints empty. A table longer than
    // the room left is continued in the next column or page under a repeated heading.
    void AddFrequencyTable(const std::string& title, const std::string& nameHeading,
                           const std::string& countHeading, const std::vector<std::string>& names,
                           const std::vector<std::string>& counts);
    void AddWarningLine(const std::string& text);

    // Overview report (landscape 842 x 595).
    void BeginOverviewDocument(const std::string& title, const std::string& footer,
                               const std::string& subtitle);
    void BeginOverviewPage(const std::string& line1, const std::string& line2, bool nightShift);
    // `times` are "hh:mm" texts in the order they are shown; `lineCount` (at least 1) sets the
    // row height, 15 points a line.
    void AddOverviewRow(const std::vector<std::string>& times, const std::string& pointName,
                        int lineCount);

    // Writes the open document to `fileName` (resolved without regard to case, replaced whole)
    // and frees it, also when writing fails: FileError then reaches the caller. Throws PdfError
    // when no document is open. Row, table and line calls without an open document are ignored.
    void SaveDocument(const std::filesystem::path& fileName);

    bool HasDocument() const { return writer_ != nullptr; }
    // Current vertical position and column offset (0 or 283), for callers that lay out around
    // the rows.
    double Y() const { return y_; }
    double Column() const { return column_; }

private:
    void startDocument(double width, double height);
    void drawLine(double x1, double y1, double x2, double y2, double width);
    void drawBox(double x, double y, double width, double height, double lineWidth);
    void filledRect(double x, double y, double width, double height);
    void drawText(double x, double y, const std::string& text);
    void drawCentred(double x, double y, const std::string& text);
    void drawPortraitHeader();
    void drawLandscapeHeader();
    void drawPageFooter();
    void newPortraitPage();
    bool nextColumn();
    void tableColumnBreak();
    void drawTableHeading(const std::string& title, const std::string& nameHeading,
                          const std::string& countHeading);
    const std::string& text(int n) const;

    WriterFactory factory_;
    const Clock& clock_;
    const LocaleFormats& formats_;
    std::unique_ptr<PdfWriter> writer_;

    int pageCounter_ = 1;
    double y_ = 750;
    double column_ = 0;
    int rowCounter_ = 0;
    std::string lastDate_;
    std::string title_, footer_, subtitle_;
    std::string overviewLine1_, overviewLine2_;
    bool overviewNight_ = false;
    std::array<std::string, 200> texts_{};
};

} // namespace veltrona
