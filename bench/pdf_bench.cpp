// Writes the largest reports the system makes with the real PDF writer and prints how long each
// took and how big the file is: a download of a full baton memory (32,800 clockings) and an
// overview of 31 days of a site with 255 checkpoints.
//
//   pdf_bench [output-directory]      (default: <temp>/veltrona_pdf_bench)

#include "app/MessageTable.h"
#include "platform/LocaleFormats.h"
#include "platform/qt/HaruPdfWriter.h"
#include "platform/virtual/VirtualClock.h"
#include "processing/pdfprint.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace veltrona;
namespace fs = std::filesystem;

namespace {

std::string pointName(int i) {
    return "Checkpoint " + std::to_string(i) + " corridor east";
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const char* what, const fs::path& file, double seconds) {
    std::printf("%-40s %8.3f s %10.1f KiB  %s\n", what, seconds,
                static_cast<double>(fs::file_size(file)) / 1024.0, file.string().c_str());
}

} // namespace

int main(int argc, char** argv) {
    const fs::path out =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "veltrona_pdf_bench";
    fs::create_directories(out);

    VirtualClock clock;
    FixedLocaleFormats formats;
    MessageTable messages;
    messages.Set(165, "Patrol Systems");
    messages.Set(166, "Date");
    messages.Set(167, "Time");
    messages.Set(168, "Location");
    messages.Set(169, "Page");
    PdfPrint pdf([] { return std::make_unique<HaruPdfWriter>(); }, clock, formats);
    pdf.SetPdfTexts(messages);

    {
        const auto start = std::chrono::steady_clock::now();
        pdf.BeginDownloadDocument("Download Report Benchmark", "Footer   Ver 1.03b",
                                  "Site - (00001234)");
        constexpr int rows = 32800;
        for (int i = 0; i < rows; ++i) {
            const int day = 1 + i / 1100;
            const int minute = i % 1440;
            const std::string date = (day < 10 ? "0" : "") + std::to_string(day) + "/08/11";
            const std::string time = twoDigits(minute / 60) + ":" + twoDigits(minute % 60) + " " +
                                     "00:0" + std::to_string(i % 10);
            pdf.AddClockingRow(date, time, pointName(i % 255), i % 40 == 0);
        }
        std::vector<std::string> names, counts;
        for (int i = 0; i < 255; ++i) {
            names.push_back(pointName(i));
            counts.push_back(std::to_string(rows / 255));
        }
        pdf.AddFrequencyTable("Frequency Report", "Location", "Count", names, counts);
        pdf.AddWarningLine("");
        pdf.AddWarningLine("Warning: the data may have been tampered with");
        const fs::path file = out / "download.pdf";
        pdf.SaveDocument(file);
        report("download, 32,800 rows + 255-name table", file, secondsSince(start));
    }

    {
        const auto start = std::chrono::steady_clock::now();
        pdf.BeginOverviewDocument("Veltrona Uploader Ver 1.03b - Overview", "Footer", "Site");
        for (int day = 1; day <= 31; ++day) {
            pdf.BeginOverviewPage(twoDigits(day) + "/08/2011", "", false);
            for (int p = 0; p < 255; ++p) {
                std::vector<std::string> times;
                for (int h = p % 3; h < 24; h += 3) {
                    times.push_back(twoDigits(h) + ":" + twoDigits((p * 7) % 60));
                    if (h % 6 == 0)
                        times.push_back(twoDigits(h) + ":" + twoDigits((p * 7 + 30) % 60));
                }
                pdf.AddOverviewRow(times, pointName(p), 2);
            }
        }
        const fs::path file = out / "overview.pdf";
        pdf.SaveDocument(file);
        report("overview, 31 days x 255 checkpoints", file, secondsSince(start));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory %ld KiB\n", usage.ru_maxrss);
    return 0;
}
