#pragma once

#include "platform/PdfWriter.h"

#include <memory>

namespace veltrona {

// PdfWriter on libharu. The layout's font names map to the standard Type 1 fonts Times-Roman,
// Helvetica-Bold, Helvetica-BoldOblique and Courier-Bold, not embedded, WinAnsiEncoding, so
// Windows-1252 texts go in byte for byte. Content streams are compressed.
class HaruPdfWriter : public PdfWriter {
public:
    HaruPdfWriter();
    ~HaruPdfWriter() override;
    HaruPdfWriter(const HaruPdfWriter&) = delete;
    HaruPdfWriter& operator=(const HaruPdfWriter&) = delete;

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
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace veltrona
