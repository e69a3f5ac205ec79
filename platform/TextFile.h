#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// All text I/O of the system: single-byte lines, CR LF line ends on writing, CR LF or bare LF on
// reading, names resolved inside their directory without regard to case, and whole-file
// replacement that leaves either the old or the new content, never half of either.
namespace veltrona::textfile {

// Reads every line of a stream; a last line without a line end counts, an empty stream has none.
std::vector<std::string> readLines(std::istream& in);
// Reads one line; false at the end of the stream. Strips LF and a CR before it.
bool readLine(std::istream& in, std::string& line);
// Reads every line of a file; throws FileError when it cannot be opened.
std::vector<std::string> readLines(const std::filesystem::path& file);
// Reads the whole file as bytes; throws FileError when it cannot be opened.
std::string readAll(const std::filesystem::path& file);

// Writes the line and CR LF.
void writeLine(std::ostream& out, std::string_view line);
void writeLines(std::ostream& out, const std::vector<std::string>& lines);

// Opens the file for appending (creating it), writes the line + CR LF, closes it.
// Throws FileError on failure.
void appendLine(const std::filesystem::path& file, std::string_view line);
void appendLines(const std::filesystem::path& file, const std::vector<std::string>& lines);
// Creates or truncates the file and writes the lines, in place: for scratch and work files, whose
// content can be made again. Files holding user data go through replaceFile. Throws FileError.
void writeFileLines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Replaces `file` as a whole: `write` fills a temporary file in the same folder, which is flushed,
// synced and renamed over `file`. When `write` throws or a write fails, the old file is untouched
// and FileError (or the writer's exception) reaches the caller. `tempName` names the temporary
// (a working file such as "temp.cfg"); by default a unique hidden name is used.
// `sync` None skips the sync for output that can be made again (a report): the rename still
// keeps a half-written file from ever being seen, but a crash may lose the newest version.
enum class FileSync { Durable, None };
void replaceFile(const std::filesystem::path& file, const std::function<void(std::ostream&)>& write,
                 const std::optional<std::filesystem::path>& tempFile = std::nullopt,
                 FileSync sync = FileSync::Durable);
void replaceFileLines(const std::filesystem::path& file, const std::vector<std::string>& lines,
                      const std::optional<std::filesystem::path>& tempFile = std::nullopt);
// Replaces several files as replaceFile does, syncing all their temporaries together (one sync
// instead of one per file, which matters when a store rewrites hundreds of day files). Every
// temporary is written before any file is replaced, so a failure while writing leaves every file
// as it was; each file is always either wholly old or wholly new.
void replaceFilesLines(
    const std::vector<std::pair<std::filesystem::path, std::vector<std::string>>>& files);

// A-Z folded to a-z; other bytes unchanged.
char foldCase(char c);
std::string foldCase(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
// Orders by folded bytes, ties broken by the bytes themselves.
bool lessNoCase(std::string_view a, std::string_view b);

// The entry of `dir` named `name` without regard to case: the exact spelling when it exists,
// else the first entry (in byte order) equal to it with A-Z folded. When none matches,
// `dir / name` is returned, so a new file gets the spelling asked for.
std::filesystem::path resolveName(const std::filesystem::path& dir, const std::string& name);
// Resolves every component of `relative` below `base` in turn.
std::filesystem::path resolvePath(const std::filesystem::path& base,
                                  const std::filesystem::path& relative);

bool fileExists(const std::filesystem::path& file);

} // namespace veltrona::textfile
