#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace veltrona::cli {

// A wrong command line: printed with the command's usage, exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One command of veltrona-cli. `args` are the words after the command name; the handler returns
// the exit code (0 success, 1 error). Exceptions: UsageError gives 2, any other gives 1.
using CliHandler = int (*)(const std::filesystem::path& workDir,
                           const std::vector<std::string>& args);

struct CliCommand {
    const char* name;
    const char* usage;
    CliHandler handler;
};

// Registers a command; each command file holds one static CliRegistration.
class CliRegistration {
public:
    explicit CliRegistration(CliCommand command);
};

const std::vector<CliCommand>& registeredCommands();

// Takes "--name VALUE" out of `args`; nullopt-like empty result and `found` false when absent.
bool takeOption(std::vector<std::string>& args, const std::string& name, std::string& value);
// Takes the flag "--name" out of `args`; true when it was there.
bool takeFlag(std::vector<std::string>& args, const std::string& name);

} // namespace veltrona::cli
