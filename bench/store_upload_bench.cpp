// StoreUpload of large uploads into 256 sites of 255 checkpoints plus a "common" site, timed,
// and checked byte for byte against the straightforward algorithm: every line compared with
// every Id of every row, every record appended to its scratch file by reopening it, every site's
// records merged in one sorted list.

#include "app/MessageTable.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "processing/StoreUpload.h"
#include "sites/CheckpointTable.h"
#include "sites/SiteList.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace veltrona;

namespace {

class QuietPrompts : public Prompts {
public:
    void showMessage(const std::string&) override {}
    bool confirm(const std::string&) override { return true; }
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
};

constexpr int Sites = 256;
constexpr int IdsPerSite = 255;

std::string hex6(unsigned v) {
    char b[8];
    std::snprintf(b, sizeof b, "%06X", v & 0xFFFFFFu);
    return b;
}

std::string two(int v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

// Site names, sorted as the site list sorts them; "common" falls among them.
SiteList makeSites() {
    SiteList sites;
    for (int s = 0; s < Sites; ++s)
        sites.push_back("Site" + std::to_string(1000 + s));
    sites.emplace_back("common");
    std::sort(sites.begin(), sites.end(), [](const std::string& a, const std::string& b) {
        return textfile::lessNoCase(a, b);
    });
    return sites;
}

// Every site has 255 Ids of its own; every 50th Id is also listed by the next site, so some
// records belong to two sites.
std::vector<std::vector<std::string>> makeRows(const SiteList& sites) {
    std::vector<std::vector<std::string>> rows(sites.size());
    for (std::size_t s = 0; s < sites.size(); ++s)
        for (int k = 0; k < IdsPerSite; ++k)
            rows[s].push_back(hex6(static_cast<unsigned>(0x100000 + s * 0x1000 + k)));
    for (std::size_t s = 0; s + 1 < sites.size(); ++s)
        for (int k = 0; k < IdsPerSite; k += 50)
            rows[s + 1][static_cast<std::size_t>(k + 1)] = rows[s][static_cast<std::size_t>(k)];
    return rows;
}

std::vector<std::string> makeRaw(const std::vector<std::vector<std::string>>& rows,
                                 std::size_t records, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> raw{"Id : Brin0042"};
    for (std::size_t i = 0; i < records; ++i) {
        const auto r = static_cast<unsigned>(rng() % 100);
        const int day = 1 + static_cast<int>(rng() % 5);
        const int hour = static_cast<int>(rng() % 24);
        const int minute = static_cast<int>(rng() % 60);
        std::string id;
        if (r < 2)
            id = "ABCDEF"; // in no list
        else
            id = rows[rng() % rows.size()][rng() % IdsPerSite];
        std::string line =
            "000000" + id + "1108" + two(day) + two(hour) + two(minute) + std::to_string(i % 100);
        if (r == 2)
            line[19] = 'C'; // hour flags
        if (r == 3)
            line[20] = 'X'; // corrupt
        if (r == 4)
            raw.push_back("000000000042"
                          "1108" +
                          two(day) + two(hour) + "80" + "1"); // unit marker
        raw.push_back(line);
    }
    return raw;
}

void writeLines(const fs::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    textfile::writeLines(out, lines);
}

void setUpWorkDir(const fs::path& dir, const SiteList& sites,
                  const std::vector<std::vector<std::string>>& rows) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (std::size_t s = 0; s < sites.size(); ++s) {
        fs::create_directories(dir / sites[s] / "Raw");
        std::vector<std::string> lines{"//Checkpoint list for " + sites[s], ""};
        for (const auto& id : rows[s])
            lines.push_back(id + " = Checkpoint " + id);
        lines.emplace_back();
        lines.emplace_back("//End of File");
        writeLines(dir / sites[s] / "checkpt.lst", lines);
        // A stored day for every tenth site, so the merge reads old day files too.
        if (s % 10 == 0)
            textfile::replaceFileLines(
                dir / sites[s] / "Raw" / "110803.txt",
                {"000000" + rows[s][0] + "1108030700", "000000" + rows[s][1] + "1108031200"});
    }
}

// The straightforward algorithm, written out in full.
void straightforwardStore(const fs::path& rawFile, const fs::path& workDir, const SiteList& sites,
                          const CheckpointTable& table) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto corrupt = [&](const std::string& l) {
        for (std::size_t i = 12; i < l.size(); ++i)
            if (i != 18 && !digit(l[i]))
                return true;
        return false;
    };
    const auto marker = [&](const std::string& l) {
        if (l.size() < 23)
            return false;
        const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
        if (!hex(l[20]) || !hex(l[21]))
            return false;
        const int minute = std::stoi(l.substr(20, 2), nullptr, 16);
        return minute > 127 && std::all_of(l.begin() + 6, l.begin() + 12, digit);
    };
    const auto scratch = [&](std::size_t s) { return workDir / (std::to_string(s) + ".$$$"); };
    for (std::size_t s = 0; s <= sites.size(); ++s)
        std::ofstream(scratch(s), std::ios::binary | std::ios::trunc);

    const auto lines = textfile::readLines(rawFile);
    long lastSite = -1;
    bool commonPending = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (line.rfind("Id", 0) == 0 && i + 1 < lines.size())
            line = lines[++i];
        if (line == "Done")
            continue;
        std::string mark;
        if (marker(line)) {
            if (i + 1 >= lines.size())
                break;
            mark = line;
            line = lines[++i];
        }
        if (line.size() < 22)
            continue;
        const std::string id = line.substr(6, 6);
        for (std::size_t s = 0; s < sites.size(); ++s) {
            for (const std::string& slotId : table.row(static_cast<int>(s))) {
                if (slotId != id || corrupt(line))
                    continue;
                std::size_t target = s;
                if (!textfile::equalsNoCase(sites[s], "common")) {
                    if (commonPending) {
                        const auto held =
                            textfile::readLines(scratch(static_cast<std::size_t>(lastSite)));
                        std::ofstream out(scratch(s), std::ios::binary | std::ios::app);
                        textfile::writeLines(out, held);
                        std::ofstream(scratch(static_cast<std::size_t>(lastSite)),
                                      std::ios::binary | std::ios::trunc);
                        commonPending = false;
                    }
                    lastSite = static_cast<long>(s);
                } else if (lastSite == -1) {
                    lastSite = static_cast<long>(s);
                    commonPending = true;
                } else {
                    target = static_cast<std::size_t>(lastSite);
                }
                std::ofstream out(scratch(target), std::ios::binary | std::ios::app);
                if (!mark.empty())
                    textfile::writeLine(out, mark);
                textfile::writeLine(out, line);
            }
        }
    }
    std::ofstream(rawFile, std::ios::binary | std::ios::app) << "Done\r\n";

    const auto less = [](const std::string& a, const std::string& b) {
        return textfile::lessNoCase(a, b);
    };
    for (std::size_t s = 0; s < sites.size(); ++s) {
        std::multiset<std::string, decltype(less)> keys(less);
        std::set<std::string> days;
        for (const auto& l : textfile::readLines(scratch(s)))
            if (l.size() >= 22) {
                keys.insert(l.substr(12, 10) + l.substr(0, 12));
                days.insert(l.substr(12, 6));
            }
        const fs::path raw = workDir / sites[s] / "Raw";
        for (const auto& d : days)
            if (fs::exists(raw / (d + ".txt")))
                for (const auto& l : textfile::readLines(raw / (d + ".txt")))
                    if (l.size() >= 22)
                        keys.insert(l.substr(12, 10) + l.substr(0, 12));
        std::string day;
        std::ofstream out;
        for (const auto& k : keys) {
            if (k.substr(0, 6) != day) {
                out.close();
                day = k.substr(0, 6);
                out.open(raw / (day + ".txt"), std::ios::binary | std::ios::trunc);
            }
            textfile::writeLine(out, k.substr(10, 12) + k.substr(0, 10));
        }
    }
    for (std::size_t s = 0; s <= sites.size(); ++s)
        fs::remove(scratch(s));
}

std::map<std::string, std::string> dayFiles(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && e.path().parent_path().filename() == "Raw")
            files[fs::relative(e.path(), dir).string()] = textfile::readAll(e.path());
    return files;
}

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

// Best of three runs, each on a fresh copy of the working directory with clean caches.
Timing timeStore(const fs::path& dir, const SiteList& sites,
                 const std::vector<std::vector<std::string>>& rows,
                 const std::vector<std::string>& raw) {
    QuietPrompts prompts;
    MessageTable messages;
    Timing best;
    for (int run = 0; run < 3; ++run) {
        setUpWorkDir(dir, sites, rows);
        writeLines(dir / "Raw.txt", raw);
        CheckpointTable table;
        RebuildCheckpointTable(dir, sites, table, false);
        // StoreUpload syncs its day files; it should not pay for the set-up's writes.
        ::sync();
        const std::clock_t c0 = std::clock();
        const auto t0 = std::chrono::steady_clock::now();
        StoreUpload(dir / "Raw.txt", dir, sites, table, prompts, messages);
        const auto t1 = std::chrono::steady_clock::now();
        const std::clock_t c1 = std::clock();
        best.wall = std::min(best.wall, seconds(t1 - t0));
        best.cpu = std::min(best.cpu, static_cast<double>(c1 - c0) / CLOCKS_PER_SEC);
    }
    return best;
}

int main() {
    const fs::path base = fs::temp_directory_path() / "veltrona-store-upload-bench";
    const SiteList sites = makeSites();
    const auto rows = makeRows(sites);
    bool allSame = true;

    std::printf("StoreUpload into %d sites of %d checkpoints plus \"common\" (best of 3)\n", Sites,
                IdsPerSite);
    std::printf("%10s %10s %10s %18s %10s\n", "records", "wall s", "cpu s", "straightforward s",
                "identical");
    for (const std::size_t records : {3280u, 6560u, 16400u, 32800u}) {
        const auto raw = makeRaw(rows, records, static_cast<unsigned>(records));
        const fs::path fast = base / "fast";
        const fs::path plain = base / "plain";
        const Timing t = timeStore(fast, sites, rows, raw);

        setUpWorkDir(plain, sites, rows);
        writeLines(plain / "Raw.txt", raw);
        CheckpointTable table;
        RebuildCheckpointTable(plain, sites, table, false);
        const auto t2 = std::chrono::steady_clock::now();
        straightforwardStore(plain / "Raw.txt", plain, sites, table);
        const auto t3 = std::chrono::steady_clock::now();

        const bool same =
            dayFiles(fast) == dayFiles(plain) &&
            textfile::readAll(fast / "Raw.txt") == textfile::readAll(plain / "Raw.txt");
        allSame = allSame && same;
        std::printf("%10zu %10.3f %10.3f %18.3f %10s\n", records, t.wall, t.cpu, seconds(t3 - t2),
                    same ? "yes" : "NO");
        std::fflush(stdout);
    }
    fs::remove_all(base);
    return allSame ? 0 : 1;
}
