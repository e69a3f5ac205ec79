#include "platform/virtual/RecordingPdfWriter.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"

#include <sstream>

namespace veltrona {

namespace {

const std::set<std::string> knownFonts = {"Times-Roman", "Arial-Bold", "Arial-BoldItalic",
                                          "FixedWidth-Bold"};

std::string number(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

} // namespace

std::vector<std::string> PdfRecording::documentCalls(int document) const {
    std::vector<std::string> result;
    const std::string prefix = "#" + std::to_string(document) + " ";
    for (const auto& c : calls)
        if (c.rfind(prefix, 0) == 0)
            result.push_back(c.substr(prefix.size()));
    return result;
}

RecordingPdfWriter::RecordingPdfWriter(std::shared_ptr<PdfRecording> recording)
    : rec_(std::move(recording)) {}

RecordingPdfWriter::~RecordingPdfWriter() = default;

std::function<std::unique_ptr<PdfWriter>()>
RecordingPdfWriter::factory(const std::shared_ptr<PdfRecording>& recording) {
    return [recording]() -> std::unique_ptr<PdfWriter> {
        return std::make_unique<RecordingPdfWriter>(recording);
    };
}

void RecordingPdfWriter::record(const std::string& op, std::initializer_list<double> args,
                                const std::string& text) {
    if (rec_->failing.count(op) != 0) {
        if (op == "saveToFile")
            throw FileError(text, "recorded save failure");
        throw PdfError("recorded failure of " + op);
    }
    std::string line = "#" + std::to_string(document_) + " " + op;
    for (double a : args)
        line += " " + number(a);
    if (!text.empty() || op == "textOut")
        line += " [" + text + "]";
    rec_->calls.push_back(line);
}

void RecordingPdfWriter::needPage(const char* op) const {
    if (document_ == 0 || page_ == 0)
        throw PdfError(std::string(op) + " without a page");
}

void RecordingPdfWriter::createDocument(double width, double height) {
    if (document_ != 0)
        throw PdfError("createDocument while a document is open");
    document_ = rec_->documentsCreated + 1;
    record("createDocument", {width, height});
    rec_->documentsCreated = document_;
    width_ = width;
    height_ = height;
    page_ = 0;
}

void RecordingPdfWriter::beginDocument() {
    if (document_ == 0)
        throw PdfError("beginDocument without a document");
    record("beginDocument", {});
}

void RecordingPdfWriter::addPage() {
    if (document_ == 0)
        throw PdfError("addPage without a document");
    record("addPage", {});
    ++page_;
    rec_->pageWidths.push_back(width_);
}

double RecordingPdfWriter::pageWidth() const {
    needPage("pageWidth");
    return width_;
}

void RecordingPdfWriter::setFont(const std::string& name, double size) {
    needPage("setFont");
    if (knownFonts.count(name) == 0)
        throw PdfError("unknown font " + name);
    record("setFont", {size}, name);
    font_ = name;
    size_ = size;
}

void RecordingPdfWriter::setFillColor(int red, int green, int blue) {
    needPage("setFillColor");
    record("setFillColor", {double(red), double(green), double(blue)});
    fill_ = {red, green, blue};
}

void RecordingPdfWriter::setStrokeColor(int red, int green, int blue) {
    needPage("setStrokeColor");
    record("setStrokeColor", {double(red), double(green), double(blue)});
    stroke_ = {red, green, blue};
}

void RecordingPdfWriter::setLineWidth(double width) {
    needPage("setLineWidth");
    record("setLineWidth", {width});
    lineWidth_ = width;
}

void RecordingPdfWriter::moveTo(double x, double y) {
    needPage("moveTo");
    record("moveTo", {x, y});
    penX_ = x;
    penY_ = y;
}

void RecordingPdfWriter::lineTo(double x, double y) {
    needPage("lineTo");
    record("lineTo", {x, y});
    pendingLines_.push_back({document_, page_, penX_, penY_, x, y, 0, {}});
    penX_ = x;
    penY_ = y;
}

void RecordingPdfWriter::stroke() {
    needPage("stroke");
    record("stroke", {});
    for (auto& l : pendingLines_) {
        l.width = lineWidth_;
        l.stroke = stroke_;
        rec_->lines.push_back(l);
    }
    pendingLines_.clear();
    pendingRects_.clear();
}

void RecordingPdfWriter::rectangle(double x, double y, double width, double height) {
    needPage("rectangle");
    record("rectangle", {x, y, width, height});
    pendingRects_.push_back({document_, page_, x, y, width, height, {}});
}

void RecordingPdfWriter::fill() {
    needPage("fill");
    record("fill", {});
    for (auto& r : pendingRects_) {
        r.fill = fill_;
        rec_->rects.push_back(r);
    }
    pendingRects_.clear();
    pendingLines_.clear();
}

void RecordingPdfWriter::textOut(double x, double y, const std::string& text) {
    needPage("textOut");
    if (font_.empty())
        throw PdfError("textOut without a font");
    record("textOut", {x, y}, text);
    rec_->texts.push_back({document_, page_, x, y, text, font_, size_, fill_});
}

double RecordingPdfWriter::textWidth(const std::string& text) const {
    needPage("textWidth");
    if (font_.empty())
        throw PdfError("textWidth without a font");
    return 0.5 * size_ * static_cast<double>(text.size());
}

void RecordingPdfWriter::saveToFile(const std::filesystem::path& file) {
    if (document_ == 0)
        throw PdfError("saveToFile without a document");
    record("saveToFile", {}, file.string());
    auto lines = rec_->documentCalls(document_);
    lines.insert(lines.begin(), "%RECORDED-PDF");
    textfile::replaceFileLines(file, lines);
    rec_->savedFiles.push_back(file.string());
}

void RecordingPdfWriter::release() {
    if (document_ == 0)
        return;
    record("release", {});
    ++rec_->documentsReleased;
    document_ = 0;
    page_ = 0;
}

} // namespace veltrona
