#include "app/cli/CliCommand.h"

#include <algorithm>

namespace veltrona::cli {

namespace {
std::vector<CliCommand>& table() {
    static std::vector<CliCommand> commands;
    return commands;
}
} // namespace

CliRegistration::CliRegistration(CliCommand command) {
    table().push_back(command);
}

const std::vector<CliCommand>& registeredCommands() {
    return table();
}

bool takeOption(std::vector<std::string>& args, const std::string& name, std::string& value) {
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return false;
    if (it + 1 == args.end())
        throw UsageError(name + " needs a value");
    value = *(it + 1);
    args.erase(it, it + 2);
    return true;
}

bool takeFlag(std::vector<std::string>& args, const std::string& name) {
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

} // namespace veltrona::cli
