#include "app/cli/CliCommand.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

using namespace veltrona::cli;

namespace {

void printUsage(std::ostream& out) {
    out << "usage: veltrona-cli [-C DIR] COMMAND [ARGS...]\n";
    for (const auto& c : registeredCommands())
        out << "  veltrona-cli [-C DIR] " << c.usage << "\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path workDir = ".";
    if (args.size() >= 2 && args[0] == "-C") {
        workDir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        printUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? 2 : 0;
    }
    const std::string name = args[0];
    args.erase(args.begin());
    for (const auto& c : registeredCommands()) {
        if (name != c.name)
            continue;
        try {
            return c.handler(workDir, args);
        } catch (const UsageError& e) {
            std::cerr << "usage error: " << e.what() << "\nusage: veltrona-cli [-C DIR] " << c.usage
                      << "\n";
            return 2;
        } catch (const std::exception& e) {
            std::cerr << "error: " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "unknown command: " << name << "\n";
    printUsage(std::cerr);
    return 2;
}
