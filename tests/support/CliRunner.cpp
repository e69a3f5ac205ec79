#include "tests/support/CliRunner.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace veltrona::test {

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun runCli(const fs::path& workDir, const std::string& args) {
    // Beside the working directory, so the run's own listing never sees them.
    const std::string base = (workDir.parent_path() / workDir.filename()).string();
    const fs::path out = base + ".out", err = base + ".err";
    const std::string command = shellQuoted(VELTRONA_CLI) + " -C " + shellQuoted(workDir.string()) +
                                " " + args + " >" + shellQuoted(out.string()) + " 2>" +
                                shellQuoted(err.string());
    const int status = std::system(command.c_str());
    CliRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

void copyDemoWorkDir(const fs::path& dir) {
    fs::copy(fs::path(VELTRONA_SOURCE_DIR) / "demo", dir, fs::copy_options::recursive);
    fs::copy_file(fs::path(VELTRONA_SOURCE_DIR) / "app/English.lng", dir / "English.lng");
}

} // namespace veltrona::test
