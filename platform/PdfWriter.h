#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace veltrona {

// The PDF writer reported a failure (bad font name, drawing outside a page, out of memory).
// Saving raises FileError instead, naming the file.
class PdfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One PDF document under construction. Coordinates are points from the bottom-left corner of
// the page; colours are 0-255 per channel; texts are single bytes (Windows-1252) and go into the
// file as they are. Text is drawn in the fill colour. A writer holds at most one document.
class PdfWriter {
public:
    virtual ~PdfWriter() = default;

    // A new, empty document whose pages will be `width` x `height` points.
    virtual void createDocument(double width, double height) = 0;
    virtual void beginDocument() = 0;
    // Adds a page of the document's size and makes it the current drawing surface.
    virtual void addPage() = 0;
    virtual double pageWidth() const = 0;

    // Font names as the layout knows them: "Times-Roman", "Arial-Bold", "Arial-BoldItalic",
    // "FixedWidth-Bold". Another name throws PdfError.
    virtual void setFont(const std::string& name, double size) = 0;
    virtual void setFillColor(int red, int green, int blue) = 0;
    virtual void setStrokeColor(int red, int green, int blue) = 0;
    virtual void setLineWidth(double width) = 0;

    virtual void moveTo(double x, double y) = 0;
    virtual void lineTo(double x, double y) = 0;
    virtual void stroke() = 0;
    // Appends a rectangle to the path; fill() paints the path in the fill colour.
    virtual void rectangle(double x, double y, double width, double height) = 0;
    virtual void fill() = 0;

    // Draws the text with its baseline starting at (x, y) in the current font.
    virtual void textOut(double x, double y, const std::string& text) = 0;
    // Width of the text in the current font, in points.
    virtual double textWidth(const std::string& text) const = 0;

    // Writes the whole document to `file`, replacing it; throws FileError when it cannot.
    virtual void saveToFile(const std::filesystem::path& file) = 0;
    // Frees the document; the writer may then create a new one.
    virtual void release() = 0;
};

} // namespace veltrona
