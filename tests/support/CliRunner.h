#pragma once

#include <filesystem>
#include <string>

namespace veltrona::test {

// What one run of the built veltrona-cli gave.
struct CliRun {
    int code = -1;
    std::string out, err;
};

// The file's bytes; empty when it is missing.
std::string slurp(const std::filesystem::path& file);

// The text quoted for /bin/sh.
std::string shellQuoted(const std::string& s);

// Runs the built veltrona-cli with `-C workDir` and `args` (already quoted where needed).
CliRun runCli(const std::filesystem::path& workDir, const std::string& args);

// Fills `dir` with a copy of the shipped demo working directory and English.lng beside it.
void copyDemoWorkDir(const std::filesystem::path& dir);

} // namespace veltrona::test
