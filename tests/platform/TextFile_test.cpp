#include "platform/FileError.h"
#include "platform/TextFile.h"
#include "tests/support/TempWorkDir.h"

#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

struct LinesCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class ReadLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ReadLinesTest, SplitsAsTheFilesAreWritten) {
    std::istringstream in(GetParam().bytes);
    EXPECT_EQ(textfile::readLines(in), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLinesTest,
    ::testing::Values(LinesCase{"empty", "", {}}, LinesCase{"crlf", "a\r\nb\r\n", {"a", "b"}},
                      LinesCase{"last_without_end", "a\r\nb", {"a", "b"}},
                      LinesCase{"bare_lf", "a\nb\n", {"a", "b"}},
                      LinesCase{"empty_lines_kept", "\r\n\r\nx", {"", "", "x"}},
                      LinesCase{"high_bytes_unchanged", "\xe9\xff\r\n", {"\xe9\xff"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TextFile, WritesCrLfAndAppends) {
    test::TempWorkDir dir;
    textfile::appendLine(dir / "a.txt", "one");
    textfile::appendLine(dir / "a.txt", "two");
    EXPECT_EQ(dir.readBytes("a.txt"), "one\r\ntwo\r\n");
}

TEST(TextFile, ReplaceLeavesOldContentWhenTheWriterFails) {
    test::TempWorkDir dir;
    dir.writeBytes("day.txt", "old\r\n");
    EXPECT_THROW(textfile::replaceFile(dir / "day.txt",
                                       [](std::ostream& out) {
                                           out << "half";
                                           throw FileError("x", "disk full");
                                       }),
                 FileError);
    EXPECT_EQ(dir.readBytes("day.txt"), "old\r\n");
    // No temporary is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(TextFile, ReplaceThroughANamedWorkingFile) {
    test::TempWorkDir dir;
    dir.writeBytes("batname.cfg", "old\r\n");
    textfile::replaceFileLines(dir / "batname.cfg", {"new"}, dir / "temp.cfg");
    EXPECT_EQ(dir.readBytes("batname.cfg"), "new\r\n");
}

TEST(TextFile, ReplaceIntoAMissingFolderRaisesFileError) {
    test::TempWorkDir dir;
    EXPECT_THROW(textfile::replaceFileLines(dir / "no" / "x.txt", {"a"}), FileError);
}

TEST(TextFile, ResolvesNamesWithoutRegardToCase) {
    test::TempWorkDir dir;
    dir.writeBytes("Checkpt.lst", "");
    dir.writeBytes("110809.Txt", "");
    dir.writeBytes("110809.TXT", "");
    EXPECT_EQ(textfile::resolveName(dir.path(), "checkpt.lst"), dir / "Checkpt.lst");
    // The exact spelling wins; otherwise the first match in byte order.
    EXPECT_EQ(textfile::resolveName(dir.path(), "110809.TXT"), dir / "110809.TXT");
    EXPECT_EQ(textfile::resolveName(dir.path(), "110809.txt"), dir / "110809.TXT");
    // A new file keeps the spelling asked for.
    EXPECT_EQ(textfile::resolveName(dir.path(), "empty.txt"), dir / "empty.txt");
    fs::create_directories(dir / "SiteA" / "Raw");
    EXPECT_EQ(textfile::resolvePath(dir.path(), fs::path("sitea") / "raw"), dir / "SiteA" / "Raw");
}

TEST(TextFile, FoldingOrdersWithTiesBrokenByBytes) {
    EXPECT_TRUE(textfile::lessNoCase("alpha", "Beta"));
    EXPECT_TRUE(textfile::lessNoCase("Site", "site"));
    EXPECT_FALSE(textfile::lessNoCase("site", "Site"));
    EXPECT_TRUE(textfile::equalsNoCase("ABC", "abc"));
    EXPECT_FALSE(textfile::equalsNoCase("\xc9", "\xe9")); // only A-Z fold
}

} // namespace
