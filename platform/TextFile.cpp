#include "platform/TextFile.h"

#include "platform/FileError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace veltrona::textfile {

bool readLine(std::istream& in, std::string& line) {
    line.clear();
    if (!std::getline(in, line)) {
        return !line.empty();
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

std::vector<std::string> readLines(std::istream& in) {
    std::vector<std::string> lines;
    std::string line;
    while (readLine(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> readLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError(file, "cannot open file for reading");
    auto lines = readLines(in);
    if (in.bad())
        throw FileError(file, "read error");
    return lines;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError(file, "cannot open file for reading");
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad())
        throw FileError(file, "read error");
    return s.str();
}

void writeLine(std::ostream& out, std::string_view line) {
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.write("\r\n", 2);
}

void writeLines(std::ostream& out, const std::vector<std::string>& lines) {
    for (const auto& l : lines)
        writeLine(out, l);
}

namespace {

void writeOut(const fs::path& file, std::ios::openmode mode,
              const std::function<void(std::ostream&)>& write) {
    std::ofstream out(file, std::ios::binary | mode);
    if (!out)
        throw FileError(file, (mode & std::ios::app) ? "cannot open file for appending"
                                                     : "cannot create file");
    write(out);
    out.close();
    if (!out)
        throw FileError(file, "write error");
}

} // namespace

void appendLine(const fs::path& file, std::string_view line) {
    writeOut(file, std::ios::app, [&](std::ostream& out) { writeLine(out, line); });
}

void appendLines(const fs::path& file, const std::vector<std::string>& lines) {
    writeOut(file, std::ios::app, [&](std::ostream& out) { writeLines(out, lines); });
}

void writeFileLines(const fs::path& file, const std::vector<std::string>& lines) {
    writeOut(file, std::ios::trunc, [&](std::ostream& out) { writeLines(out, lines); });
}

namespace {

std::string errnoText() {
    return std::strerror(errno);
}

void syncAndClose(std::FILE* f, const fs::path& name, bool sync = true) {
    bool ok = std::fflush(f) == 0;
#if defined(_WIN32)
    ok = ok && (!sync || _commit(_fileno(f)) == 0);
#else
    ok = ok && (!sync || ::fsync(fileno(f)) == 0);
#endif
    const std::string reason = ok ? std::string() : errnoText();
    if (std::fclose(f) != 0 && ok)
        throw FileError(name, "close failed: " + errnoText());
    if (!ok)
        throw FileError(name, "write failed: " + reason);
}

fs::path uniqueTemp(const fs::path& file) {
    static std::atomic<unsigned> counter{0};
    // Built with append: GCC 12 warns falsely (-Wrestrict) about "." + string at -O3.
    std::string name = ".";
    name.append(file.filename().string()).append(".tmp").append(std::to_string(++counter));
    return file.parent_path() / name;
}

} // namespace

void replaceFile(const fs::path& file, const std::function<void(std::ostream&)>& write,
                 const std::optional<fs::path>& tempFile, FileSync sync) {
    const fs::path temp = tempFile ? *tempFile : uniqueTemp(file);
    std::ostringstream buffer;
    write(buffer);
    const std::string bytes = buffer.str();

    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f)
        throw FileError(temp, "cannot create file: " + errnoText());
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        const std::string reason = errnoText();
        std::fclose(f);
        std::error_code ec;
        fs::remove(temp, ec);
        throw FileError(temp, "write failed: " + reason);
    }
    try {
        syncAndClose(f, temp, sync == FileSync::Durable);
    } catch (...) {
        std::error_code ec;
        fs::remove(temp, ec);
        throw;
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
    if (ec) {
        std::error_code ignore;
        fs::remove(temp, ignore);
        throw FileError(file, "cannot replace file: " + ec.message());
    }
}

void replaceFileLines(const fs::path& file, const std::vector<std::string>& lines,
                      const std::optional<fs::path>& tempFile) {
    replaceFile(
        file, [&](std::ostream& out) { writeLines(out, lines); }, tempFile);
}

void replaceFilesLines(const std::vector<std::pair<fs::path, std::vector<std::string>>>& files) {
    std::vector<fs::path> temps;
    temps.reserve(files.size());
    const auto removeTemps = [&](std::size_t from) {
        for (std::size_t i = from; i < temps.size(); ++i) {
            std::error_code ec;
            fs::remove(temps[i], ec);
        }
    };
    try {
        for (const auto& [file, lines] : files) {
            const fs::path temp = uniqueTemp(file);
            std::FILE* f = std::fopen(temp.string().c_str(), "wb");
            if (!f)
                throw FileError(temp, "cannot create file: " + errnoText());
            temps.push_back(temp);
            std::string bytes;
            for (const auto& l : lines) {
                bytes += l;
                bytes += "\r\n";
            }
            bool ok =
                bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
            ok = ok && std::fflush(f) == 0;
#if !defined(__linux__)
#if defined(_WIN32)
            ok = ok && _commit(_fileno(f)) == 0;
#else
            ok = ok && ::fsync(fileno(f)) == 0;
#endif
#endif
            const std::string reason = ok ? std::string() : errnoText();
            if (std::fclose(f) != 0 && ok)
                throw FileError(temp, "close failed: " + errnoText());
            if (!ok)
                throw FileError(temp, "write failed: " + reason);
        }
#if defined(__linux__)
        // One sync of each file system the temporaries are on.
        std::vector<fs::path> dirs;
        for (const auto& [file, lines] : files)
            if (std::find(dirs.begin(), dirs.end(), file.parent_path()) == dirs.end())
                dirs.push_back(file.parent_path());
        std::vector<dev_t> synced;
        for (const auto& dir : dirs) {
            const std::string name = dir.empty() ? std::string(".") : dir.string();
            struct stat st {};
            if (::stat(name.c_str(), &st) != 0)
                throw FileError(dir, "cannot sync: " + errnoText());
            if (std::find(synced.begin(), synced.end(), st.st_dev) != synced.end())
                continue;
            const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY);
            if (fd < 0 || ::syncfs(fd) != 0) {
                const std::string reason = errnoText();
                if (fd >= 0)
                    ::close(fd);
                throw FileError(dir, "cannot sync: " + reason);
            }
            ::close(fd);
            synced.push_back(st.st_dev);
        }
#endif
    } catch (...) {
        removeTemps(0);
        throw;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code ec;
        fs::rename(temps[i], files[i].first, ec);
        if (ec) {
            removeTemps(i);
            throw FileError(files[i].first, "cannot replace file: " + ec.message());
        }
    }
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string foldCase(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = foldCase(c);
    return r;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    return true;
}

bool lessNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(foldCase(a[i]));
        const auto cb = static_cast<unsigned char>(foldCase(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

fs::path resolveName(const fs::path& dir, const std::string& name) {
    const fs::path exact = dir / name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec)))
        return exact;
    std::string best;
    bool found = false;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (equalsNoCase(entry, name) && (!found || entry < best)) {
            best = entry;
            found = true;
        }
    }
    return found ? dir / best : exact;
}

fs::path resolvePath(const fs::path& base, const fs::path& relative) {
    fs::path p = base;
    for (const auto& part : relative) {
        const std::string s = part.string();
        if (s.empty() || s == "." || s == "..") {
            p /= part;
            continue;
        }
        p = resolveName(p, s);
    }
    return p;
}

bool fileExists(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

} // namespace veltrona::textfile
