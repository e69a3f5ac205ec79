#include "processing/pdfprint.h"

#include "app/MessageTable.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/LocaleFormats.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace veltrona {

namespace {

struct Rgb {
    int r, g, b;
};
constexpr Rgb titleBrown{165, 42, 42};
constexpr Rgb brandRed{255, 0, 0};
constexpr Rgb grey{128, 128, 128};
constexpr Rgb headingBlue{167, 217, 255};
constexpr Rgb rowGreen{128, 224, 128};
constexpr Rgb tableOrange{224, 128, 0};
constexpr Rgb tableYellow{224, 224, 0};
constexpr Rgb hourGreen{158, 255, 115};
constexpr Rgb black{0, 0, 0};

constexpr double rightColumn = 283;
constexpr double columnTop = 750;
constexpr double lowestRow = 40;

// Page furniture that cannot be drawn must not stop the report: the rows go on the current page.
template <typename F> void ignoringFailure(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// The hour of an "hh:mm" text; -1 when it does not start with two digits, so it matches no slot.
int hourOf(const std::string& time) {
    if (time.size() < 2 || time[0] < '0' || time[0] > '9' || time[1] < '0' || time[1] > '9')
        return -1;
    return (time[0] - '0') * 10 + (time[1] - '0');
}

std::filesystem::path resolveTarget(const std::filesystem::path& file) {
    return textfile::resolveName(file.parent_path(), file.filename().string());
}

} // namespace

PdfPrint::PdfPrint(WriterFactory factory, const Clock& clock, const LocaleFormats& formats)
    : factory_(std::move(factory)), clock_(clock), formats_(formats) {}

PdfPrint::~PdfPrint() {
    if (writer_)
        ignoringFailure([&] { writer_->release(); });
}

void PdfPrint::SetPdfTexts(const MessageTable& messages) {
    for (int n = 1; n < 200; ++n)
        texts_[static_cast<std::size_t>(n)] = messages.Message(n);
}

const std::string& PdfPrint::text(int n) const {
    return texts_[static_cast<std::size_t>(n)];
}

// ---- drawing steps ----

void PdfPrint::drawLine(double x1, double y1, double x2, double y2, double width) {
    // The width is set before the path starts: a PDF path may not change the graphics state.
    writer_->setLineWidth(width);
    writer_->moveTo(x1, y1);
    writer_->lineTo(x2, y2);
    writer_->stroke();
}

void PdfPrint::drawBox(double x, double y, double width, double height, double lineWidth) {
    drawLine(x, y, x + width, y, lineWidth);
    drawLine(x, y, x, y + height, lineWidth);
    drawLine(x + width, y, x + width, y + height, lineWidth);
    drawLine(x + width, y + height, x, y + height, lineWidth);
}

void PdfPrint::filledRect(double x, double y, double width, double height) {
    writer_->rectangle(x, y, width, height);
    writer_->fill();
}

void PdfPrint::drawText(double x, double y, const std::string& s) {
    writer_->textOut(x, y, s);
}

void PdfPrint::drawCentred(double x, double y, const std::string& s) {
    writer_->textOut(x - writer_->textWidth(s) / 2, y, s);
}

static void fillColor(PdfWriter& w, Rgb c) {
    w.setFillColor(c.r, c.g, c.b);
}
static void strokeColor(PdfWriter& w, Rgb c) {
    w.setStrokeColor(c.r, c.g, c.b);
}

void PdfPrint::drawPortraitHeader() {
    rowCounter_ = 0;
    column_ = 0;
    const double lineY = y_ - 5;
    y_ -= 10;

    PdfWriter& w = *writer_;
    w.setFont("Arial-BoldItalic", 14);
    fillColor(w, titleBrown);
    drawText(30, 812, title_);
    w.setFont("Arial-Bold", 18);
    drawText(30, 787, subtitle_);
    strokeColor(w, black);
    drawLine(20, 807, 425, 807, 1.5);
    fillColor(w, brandRed);
    w.setFont("FixedWidth-Bold", 24);
    drawText(438, 797, "BRIN-VALE");
    fillColor(w, black);
    w.setFont("FixedWidth-Bold", 13);
    drawText(440, 787, text(165));

    strokeColor(w, grey);
    fillColor(w, headingBlue);
    w.setLineWidth(1);
    filledRect(30, 750, 253, 30);
    w.setFont("Times-Roman", 10.5);
    fillColor(w, black);
    drawText(35, 760, text(166));
    drawText(85, 760, text(167));
    drawText(150, 760, text(168));
    strokeColor(w, grey);
    drawLine(40, lineY, 273, lineY, 1.5);
}

void PdfPrint::drawLandscapeHeader() {
    PdfWriter& w = *writer_;
    w.setFont("Arial-BoldItalic", 14);
    fillColor(w, titleBrown);
    drawText(30, 565, title_);
    w.setFont("Arial-Bold", 18);
    drawText(30, 540, subtitle_);
    strokeColor(w, black);
    drawLine(20, 560, 672, 560, 1.5);
    fillColor(w, brandRed);
    w.setFont("FixedWidth-Bold", 24);
    drawText(685, 552, "BRIN-VALE");
    fillColor(w, black);
    w.setFont("FixedWidth-Bold", 13);
    drawText(687, 542, text(165));
}

void PdfPrint::drawPageFooter() {
    PdfWriter& w = *writer_;
    const double width = w.pageWidth();
    strokeColor(w, black);
    fillColor(w, titleBrown);
    drawLine(20, 30, width - 20, 30, 1.5);
    w.setFont("Times-Roman", 14);
    drawText(30, 15, footer_);
    const std::string stamp = formats_.dateTimeText(clock_.now()) + "   " + text(169) + " " +
                              std::to_string(pageCounter_ - 1);
    drawText(width - w.textWidth(stamp) - 30, 15, stamp);
}

void PdfPrint::newPortraitPage() {
    ++pageCounter_;
    column_ = 0;
    ignoringFailure([&] { writer_->addPage(); });
    ignoringFailure([&] { drawPortraitHeader(); });
    ignoringFailure([&] { drawPageFooter(); });
}

// Returns true when the right column of the same page was taken, false for a new page.
bool PdfPrint::nextColumn() {
    rowCounter_ = 0;
    y_ = columnTop;
    if (column_ == 0) {
        column_ = rightColumn;
        return true;
    }
    newPortraitPage();
    y_ -= 10;
    return false;
}

void PdfPrint::tableColumnBreak() {
    rowCounter_ = 0;
    lastDate_.clear();
    y_ = columnTop;
    if (column_ == 0)
        column_ = rightColumn;
    else
        newPortraitPage();
}

void PdfPrint::drawTableHeading(const std::string& title, const std::string& nameHeading,
                                const std::string& countHeading) {
    PdfWriter& w = *writer_;
    const double c = column_;
    strokeColor(w, grey);
    fillColor(w, tableOrange);
    w.setLineWidth(1);
    filledRect(c + 30, y_, 253, 30);
    w.setFont("Times-Roman", 14);
    fillColor(w, black);
    drawText(c + 35, y_ + 15, title);
    w.setFont("Times-Roman", 10.5);
    drawText(c + 35, y_ + 5, countHeading);
    drawText(c + 85, y_ + 5, nameHeading);
    strokeColor(w, grey);
    drawLine(c + 40, y_ - 5, c + 273, y_ - 5, 1.5);
    y_ -= 20;
}

// ---- documents ----

void PdfPrint::startDocument(double width, double height) {
    if (writer_) {
        // Abandoned without saving.
        ignoringFailure([&] { writer_->release(); });
        writer_.reset();
    }
    column_ = 0;
    rowCounter_ = 0;
    std::unique_ptr<PdfWriter> w;
    try {
        w = factory_();
        if (!w)
            return;
        w->createDocument(width, height);
        w->beginDocument();
    } catch (const std::exception&) {
        // No document: the rows that follow are ignored and saving reports it.
        return;
    }
    writer_ = std::move(w);
    ignoringFailure([&] { writer_->addPage(); });
}

void PdfPrint::BeginDownloadDocument(const std::string& title, const std::string& footer,
                                     const std::string& subtitle) {
    title_ = title;
    footer_ = footer;
    subtitle_ = subtitle;
    pageCounter_ = 2;
    y_ = columnTop;
    lastDate_.clear();
    startDocument(595, 842);
    if (!writer_)
        return;
    ignoringFailure([&] { drawPortraitHeader(); });
    ignoringFailure([&] { drawPageFooter(); });
}

void PdfPrint::AddClockingRow(const std::string& date, const std::string& time,
                              const std::string& name, bool roundStart) {
    if (!writer_)
        return;
    PdfWriter& w = *writer_;
    y_ -= 10;
    if (y_ < lowestRow || (roundStart && y_ < 100)) {
        lastDate_.clear();
        if (nextColumn()) {
            y_ = 730;
            ignoringFailure([&] {
                strokeColor(w, grey);
                fillColor(w, headingBlue);
                w.setLineWidth(1);
                filledRect(313, 750, 253, 30);
                w.setFont("Times-Roman", 10.5);
                fillColor(w, black);
                drawText(318, 760, text(166));
                drawText(368, 760, text(167));
                drawText(433, 760, text(168));
                strokeColor(w, grey);
                drawLine(323, 745, 556, 745, 1.5);
            });
        }
    }

    const double c = column_;
    strokeColor(w, grey);
    if (roundStart && rowCounter_ > 1) {
        drawLine(c + 40, y_ + 5, c + 273, y_ + 5, 1.5);
        y_ -= 10;
        rowCounter_ = 0;
        lastDate_.clear();
    }
    ++rowCounter_;
    if (rowCounter_ % 2 == 1) {
        fillColor(w, rowGreen);
        w.setLineWidth(1);
        filledRect(c + 30, y_, 253, 10);
    }
    w.setFont("Times-Roman", 10);
    fillColor(w, black);
    if (date != lastDate_) {
        drawText(c + 35, y_ + 2, date);
        lastDate_ = date;
    }
    drawText(c + 85, y_ + 2, time);
    drawText(c + 150, y_ + 2, name);
}

void PdfPrint::AddFrequencyTable(const std::string& title, const std::string& nameHeading,
                                 const std::string& countHeading,
                                 const std::vector<std::string>& names,
                                 const std::vector<std::string>& counts) {
    if (!writer_)
        return;
    PdfWriter& w = *writer_;
    const auto n = static_cast<double>(names.size());
    y_ -= (n + 3) * 10;
    if (y_ < 200) {
        tableColumnBreak();
        y_ -= (n + 3) * 10;
    }
    y_ += n * 10;
    drawTableHeading(title, nameHeading, countHeading);

    for (std::size_t i = 0; i < names.size(); ++i) {
        if (y_ < lowestRow) {
            // The rest of a long table goes on in the next column under the same heading.
            tableColumnBreak();
            y_ -= 30;
            drawTableHeading(title, nameHeading, countHeading);
        }
        const double c = column_;
        if (i % 2 == 0) {
            fillColor(w, tableYellow);
            w.setLineWidth(1);
            filledRect(c + 30, y_, 253, 10);
        }
        w.setFont("Times-Roman", 10);
        fillColor(w, black);
        drawText(c + 35, y_ + 2, i < counts.size() ? counts[i] : std::string());
        drawText(c + 85, y_ + 2, names[i]);
        y_ -= 10;
    }
}

void PdfPrint::AddWarningLine(const std::string& line) {
    if (!writer_)
        return;
    y_ -= 10;
    if (y_ < lowestRow || (line.empty() && y_ < 50)) {
        if (nextColumn())
            y_ = 730;
    }
    ++rowCounter_;
    writer_->setFont("Times-Roman", 10);
    fillColor(*writer_, black);
    drawText(column_ + 35, y_ + 2, line);
}

void PdfPrint::BeginOverviewDocument(const std::string& title, const std::string& footer,
                                     const std::string& subtitle) {
    title_ = title;
    footer_ = footer;
    subtitle_ = subtitle;
    pageCounter_ = 1;
    y_ = 500;
    startDocument(842, 595);
}

void PdfPrint::BeginOverviewPage(const std::string& line1, const std::string& line2,
                                 bool nightShift) {
    if (!writer_)
        return;
    overviewLine1_ = line1;
    overviewLine2_ = line2;
    overviewNight_ = nightShift;
    const bool newPage = pageCounter_ != 1;
    if (newPage)
        y_ = 500;
    ++pageCounter_;
    PdfWriter& w = *writer_;
    if (newPage)
        w.addPage();

    drawLandscapeHeader();
    strokeColor(w, grey);
    fillColor(w, headingBlue);
    w.setLineWidth(1);
    filledRect(30, 500, 782, 30);
    drawBox(30, 500, 782, 30, 1);
    for (int j = 0; j < 24; ++j)
        drawLine(188 + 26 * j, 500, 188 + 26 * j, 530, 1);
    w.setFont("Times-Roman", 10.5);
    fillColor(w, black);
    drawText(35, 515, line1);
    drawText(35, 505, line2);
    for (int j = 0; j < 24; ++j) {
        const int slot = nightShift ? (j + 12) % 24 : j;
        drawCentred(201 + 26 * slot, 510, twoDigits(j));
    }
    drawPageFooter();
}

void PdfPrint::AddOverviewRow(const std::vector<std::string>& times, const std::string& pointName,
                              int lineCount) {
    if (!writer_)
        return;
    PdfWriter& w = *writer_;
    const double h = 15.0 * std::max(lineCount, 1);
    y_ -= h;
    if (y_ < 40) {
        // Copies: the page start replaces the kept header with its own arguments.
        const std::string line1 = overviewLine1_, line2 = overviewLine2_;
        ignoringFailure([&] { BeginOverviewPage(line1, line2, overviewNight_); });
        y_ = 500 - h;
    }

    strokeColor(w, grey);
    fillColor(w, headingBlue);
    w.setLineWidth(1);
    filledRect(30, y_, 158, h);
    w.setFont("Times-Roman", 10.5);
    fillColor(w, black);
    drawText(35, y_ + h / 2, pointName);

    std::size_t i = 0;
    std::string current = "5555";
    for (int j = 0; j < 24; ++j) {
        int k = 0;
        if (i < times.size())
            current = times[i];
        const int hour = !overviewNight_ ? j : (j < 12 ? j + 12 : j - 12);
        if (hour != hourOf(current))
            continue;
        fillColor(w, hourGreen);
        filledRect(188 + 26 * j, y_, 26, h);
        while (i < times.size()) {
            fillColor(w, black);
            current = times[i];
            drawCentred(201 + 26 * j, y_ + h - 11 - 15 * k, current);
            ++i;
            ++k;
            if (i >= times.size() || times[i].substr(0, 2) != current.substr(0, 2))
                break;
        }
    }

    for (int j = 0; j < 24; ++j)
        drawLine(188 + 26 * j, y_, 188 + 26 * j, y_ + h, 1);
    drawBox(30, y_, 782, h, 1);
}

void PdfPrint::SaveDocument(const std::filesystem::path& fileName) {
    if (!writer_)
        throw PdfError("No PDF document to save as " + fileName.string());
    // The document is gone after this call whatever happens, so a failed save cannot leak it
    // or leave a half-used document for the next report.
    std::unique_ptr<PdfWriter> w = std::move(writer_);
    try {
        w->saveToFile(resolveTarget(fileName));
    } catch (...) {
        ignoringFailure([&] { w->release(); });
        throw;
    }
    w->release();
}

} // namespace veltrona
