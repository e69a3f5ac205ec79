#pragma once

#include "platform/PdfWriter.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace veltrona {

struct PdfColor {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const PdfColor&, const PdfColor&) = default;
};

// What the writers of one recording have drawn, with the state in force at the time. Documents
// and pages count from 1 in the order they were created.
struct RecordedText {
    int document = 0, page = 0;
    double x = 0, y = 0;
    std::string text;
    std::string font;
    double size = 0;
    PdfColor fill;
};
struct RecordedLine {
    int document = 0, page = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double width = 0;
    PdfColor stroke;
};
struct RecordedRect {
    int document = 0, page = 0;
    double x = 0, y = 0, width = 0, height = 0;
    PdfColor fill;
};

// Shared by a test and every writer its factory hands out, so the test sees the calls after the
// writer has gone.
struct PdfRecording {
    std::vector<std::string> calls; // every call, e.g. "moveTo 20 807"
    std::vector<RecordedText> texts;
    std::vector<RecordedLine> lines;
    std::vector<RecordedRect> rects;
    std::vector<double> pageWidths; // one per page of every document
    int documentsCreated = 0;
    int documentsReleased = 0;
    std::vector<std::string> savedFiles;

    // Operations (by name: "addPage", "textOut", "saveToFile", ...) that throw PdfError from now
    // on; "saveToFile" throws FileError, as a real save would.
    std::set<std::string> failing;

    // Calls of the document just saved, for tests of the callers: what saveToFile writes.
    std::vector<std::string> documentCalls(int document) const;
};

// A PdfWriter that records instead of drawing. Text width is 0.5 x font size per byte, so
// right-aligned and centred texts have predictable positions. saveToFile writes the document's
// calls as text lines, so callers can check that a report file was written.
class RecordingPdfWriter : public PdfWriter {
public:
    explicit RecordingPdfWriter(std::shared_ptr<PdfRecording> recording);
    ~RecordingPdfWriter() override;

    static std::function<std::unique_ptr<PdfWriter>()>
    factory(const std::shared_ptr<PdfRecording>& recording);

    void createDocument(double width, double height) override;
    void beginDocument() override;
    void addPage() override;
    double pageWidth() const override;
    void setFont(const std::string& name, double size) override;
    void setFillColor(int red, int green, int blue) override;
    void setStrokeColor(int red, int green, int blue) override;
    void setLineWidth(double width) override;
    void moveTo(double x, double y) override;
    void lineTo(double x, double y) override;
    void stroke() override;
    void rectangle(double x, double y, double width, double height) override;
    void fill() override;
    void textOut(double x, double y, const std::string& text) override;
    double textWidth(const std::string& text) const override;
    void saveToFile(const std::filesystem::path& file) override;
    void release() override;

private:
    void record(const std::string& op, std::initializer_list<double> args,
                const std::string& text = {});
    void needPage(const char* op) const;

    std::shared_ptr<PdfRecording> rec_;
    int document_ = 0; // 0 = no document
    int page_ = 0;
    double width_ = 0, height_ = 0;
    std::string font_;
    double size_ = 0;
    PdfColor fill_, stroke_;
    double lineWidth_ = 1;
    double penX_ = 0, penY_ = 0;
    std::vector<RecordedLine> pendingLines_;
    std::vector<RecordedRect> pendingRects_;
};

} // namespace veltrona
