#include "platform/qt/HaruPdfWriter.h"

#include "platform/FileError.h"
#include "platform/TextFile.h"

#include <hpdf.h>

#include <cstdio>
#include <map>
#include <ostream>

namespace veltrona {

namespace {

// The layout's font names and the standard Type 1 fonts that stand for them.
const char* standardFont(const std::string& name) {
    if (name == "Times-Roman")
        return "Times-Roman";
    if (name == "Arial-Bold")
        return "Helvetica-Bold";
    if (name == "Arial-BoldItalic")
        return "Helvetica-BoldOblique";
    if (name == "FixedWidth-Bold")
        return "Courier-Bold";
    return nullptr;
}

HPDF_REAL real(double v) {
    return static_cast<HPDF_REAL>(v);
}
HPDF_REAL channel(int v) {
    return static_cast<HPDF_REAL>(v) / 255.0f;
}

std::string errorText(HPDF_STATUS error, HPDF_STATUS detail) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "libharu error 0x%04X, detail %u", static_cast<unsigned>(error),
                  static_cast<unsigned>(detail));
    return buf;
}

} // namespace

struct HaruPdfWriter::Impl {
    HPDF_Doc doc = nullptr;
    HPDF_Page page = nullptr;
    HPDF_REAL width = 0, height = 0;
    std::map<std::string, HPDF_Font> fonts;
    HPDF_STATUS error = HPDF_OK;
    HPDF_STATUS detail = 0;

    // libharu reports through this handler and then returns from the failing call, so the
    // error is only recorded here and raised by check() once the call is back in our code.
    static void onError(HPDF_STATUS errorNo, HPDF_STATUS detailNo, void* user) {
        auto* self = static_cast<Impl*>(user);
        if (self->error == HPDF_OK) {
            self->error = errorNo;
            self->detail = detailNo;
        }
    }

    // Clears libharu's error state so the document stays usable after a reported failure.
    std::string takeError(HPDF_STATUS status) {
        const HPDF_STATUS e = error != HPDF_OK ? error : status;
        const std::string text = errorText(e, detail);
        error = HPDF_OK;
        detail = 0;
        if (doc)
            HPDF_ResetError(doc);
        return text;
    }

    void check(HPDF_STATUS status, const char* what) {
        if (status == HPDF_OK && error == HPDF_OK)
            return;
        throw PdfError(std::string(what) + ": " + takeError(status));
    }

    void needPage(const char* what) const {
        if (!doc || !page)
            throw PdfError(std::string(what) + ": no current page");
    }
};

HaruPdfWriter::HaruPdfWriter() : d_(std::make_unique<Impl>()) {}

HaruPdfWriter::~HaruPdfWriter() {
    release();
}

void HaruPdfWriter::createDocument(double width, double height) {
    if (d_->doc)
        throw PdfError("createDocument: a document is already open");
    d_->error = HPDF_OK;
    d_->doc = HPDF_New(&Impl::onError, d_.get());
    if (!d_->doc)
        throw PdfError("createDocument: libharu could not create a document");
    d_->width = real(width);
    d_->height = real(height);
    d_->check(HPDF_SetCompressionMode(d_->doc, HPDF_COMP_ALL), "createDocument");
}

void HaruPdfWriter::beginDocument() {
    if (!d_->doc)
        throw PdfError("beginDocument: no document");
    d_->check(HPDF_SetInfoAttr(d_->doc, HPDF_INFO_CREATOR, "Veltrona"), "beginDocument");
}

void HaruPdfWriter::addPage() {
    if (!d_->doc)
        throw PdfError("addPage: no document");
    HPDF_Page page = HPDF_AddPage(d_->doc);
    d_->check(page ? HPDF_OK : HPDF_FAILD_TO_ALLOC_MEM, "addPage");
    d_->page = page;
    d_->check(HPDF_Page_SetWidth(page, d_->width), "addPage");
    d_->check(HPDF_Page_SetHeight(page, d_->height), "addPage");
}

double HaruPdfWriter::pageWidth() const {
    d_->needPage("pageWidth");
    return HPDF_Page_GetWidth(d_->page);
}

void HaruPdfWriter::setFont(const std::string& name, double size) {
    d_->needPage("setFont");
    const char* standard = standardFont(name);
    if (!standard)
        throw PdfError("setFont: unknown font " + name);
    auto it = d_->fonts.find(name);
    if (it == d_->fonts.end()) {
        HPDF_Font font = HPDF_GetFont(d_->doc, standard, "WinAnsiEncoding");
        d_->check(font ? HPDF_OK : HPDF_INVALID_FONT_NAME, "setFont");
        it = d_->fonts.emplace(name, font).first;
    }
    d_->check(HPDF_Page_SetFontAndSize(d_->page, it->second, real(size)), "setFont");
}

void HaruPdfWriter::setFillColor(int red, int green, int blue) {
    d_->needPage("setFillColor");
    d_->check(HPDF_Page_SetRGBFill(d_->page, channel(red), channel(green), channel(blue)),
              "setFillColor");
}

void HaruPdfWriter::setStrokeColor(int red, int green, int blue) {
    d_->needPage("setStrokeColor");
    d_->check(HPDF_Page_SetRGBStroke(d_->page, channel(red), channel(green), channel(blue)),
              "setStrokeColor");
}

void HaruPdfWriter::setLineWidth(double width) {
    d_->needPage("setLineWidth");
    d_->check(HPDF_Page_SetLineWidth(d_->page, real(width)), "setLineWidth");
}

void HaruPdfWriter::moveTo(double x, double y) {
    d_->needPage("moveTo");
    d_->check(HPDF_Page_MoveTo(d_->page, real(x), real(y)), "moveTo");
}

void HaruPdfWriter::lineTo(double x, double y) {
    d_->needPage("lineTo");
    d_->check(HPDF_Page_LineTo(d_->page, real(x), real(y)), "lineTo");
}

void HaruPdfWriter::stroke() {
    d_->needPage("stroke");
    d_->check(HPDF_Page_Stroke(d_->page), "stroke");
}

void HaruPdfWriter::rectangle(double x, double y, double width, double height) {
    d_->needPage("rectangle");
    d_->check(HPDF_Page_Rectangle(d_->page, real(x), real(y), real(width), real(height)),
              "rectangle");
}

void HaruPdfWriter::fill() {
    d_->needPage("fill");
    d_->check(HPDF_Page_Fill(d_->page), "fill");
}

void HaruPdfWriter::textOut(double x, double y, const std::string& text) {
    d_->needPage("textOut");
    d_->check(HPDF_Page_BeginText(d_->page), "textOut");
    const HPDF_STATUS shown = HPDF_Page_TextOut(d_->page, real(x), real(y), text.c_str());
    // End the text object even when showing failed, or every later drawing call would fail.
    const HPDF_STATUS ended = HPDF_Page_EndText(d_->page);
    d_->check(shown, "textOut");
    d_->check(ended, "textOut");
}

double HaruPdfWriter::textWidth(const std::string& text) const {
    d_->needPage("textWidth");
    const HPDF_REAL w = HPDF_Page_TextWidth(d_->page, text.c_str());
    d_->check(HPDF_OK, "textWidth");
    return w;
}

void HaruPdfWriter::saveToFile(const std::filesystem::path& file) {
    if (!d_->doc)
        throw FileError(file, "no PDF document to write");
    std::string bytes;
    HPDF_STATUS status = HPDF_SaveToStream(d_->doc);
    if (status != HPDF_OK || d_->error != HPDF_OK)
        throw FileError(file, "cannot encode the PDF document (" + d_->takeError(status) + ")");
    bytes.resize(HPDF_GetStreamSize(d_->doc));
    // Saving leaves the stream positioned at its end.
    HPDF_ResetStream(d_->doc);
    std::size_t got = 0;
    while (got < bytes.size()) {
        HPDF_UINT32 chunk = static_cast<HPDF_UINT32>(bytes.size() - got);
        status =
            HPDF_ReadFromStream(d_->doc, reinterpret_cast<HPDF_BYTE*>(bytes.data() + got), &chunk);
        got += chunk;
        // The stream reports its end as an error; only a short read is a real one.
        if (status == HPDF_STREAM_EOF || chunk == 0)
            break;
        if (status != HPDF_OK)
            throw FileError(file, "cannot read the PDF stream (" + d_->takeError(status) + ")");
    }
    d_->takeError(HPDF_OK);
    if (got != bytes.size())
        throw FileError(file, "the PDF stream ended early");
    // A report can be drawn again from the day files, which are synced: no sync per PDF.
    textfile::replaceFile(
        file,
        [&](std::ostream& out) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        },
        std::nullopt, textfile::FileSync::None);
}

void HaruPdfWriter::release() {
    if (d_->doc)
        HPDF_Free(d_->doc);
    d_->doc = nullptr;
    d_->page = nullptr;
    d_->fonts.clear();
    d_->error = HPDF_OK;
}

} // namespace veltrona
