#pragma once

#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <deque>
#include <exception>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {
class Workspace;
}

namespace veltrona::cli {

// What the GUI shows in a message box goes to the error stream as one line "message: " + text,
// each CR or LF inside the text written as one space. Input boxes and confirmations take their
// answers from preset queues; with none left an input box is cancelled and a confirmation is
// answered No, so nothing is done that nobody asked for.
class CliPrompts : public Prompts {
public:
    explicit CliPrompts(std::ostream& err) : err_(err) {}

    void showMessage(const std::string& text) override;
    bool confirm(const std::string& text) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;

    // The text as one line: each CR or LF becomes one space.
    static std::string oneLine(const std::string& text);

    std::deque<std::string> inputAnswers;
    std::deque<bool> confirmAnswers;

private:
    std::ostream& err_;
};

// Where the GUI opens a file in its viewer: prints "open: " + path, and opens it for real only
// when asked to (--open).
class CliShell : public Shell {
public:
    CliShell(std::ostream& err, bool reallyOpen, Shell* desktop)
        : err_(err), reallyOpen_(reallyOpen), desktop_(desktop) {}

    void open(const std::filesystem::path& document) override;
    bool moveToTrash(const std::filesystem::path& tree) override;

private:
    std::ostream& err_;
    bool reallyOpen_;
    Shell* desktop_;
};

struct CliSessionOptions {
    bool open = false;                     // --open: open reports as the GUI would
    std::vector<std::string> inputAnswers; // preset answers for input boxes, in order
    std::vector<bool> confirmAnswers;      // preset answers for confirmations, in order
};

// Takes the options every session command understands (--open) out of `args`.
CliSessionOptions takeSessionOptions(std::vector<std::string>& args);

// The start-up a command runs before its work, without windows: the real clock, locale and PDF
// writer; settings, default messages and the language file named by LanguageFile (missing: the
// program's fatal message, then an error); the site list, every site's Raw directory and
// checkpt.lst, the baton names and the checkpoint table. When the session ends it removes the
// scratch files (*.$$$) of the working directory and leaves the reports in place.
class CliSession {
public:
    CliSession(const std::filesystem::path& workDir, const CliSessionOptions& options,
               std::ostream& err);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    Workspace& workspace();
    CliPrompts& prompts();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Thrown after the start-up has shown its message (for example a missing language file): the
// command ends with exit code 1 and nothing more to print.
class StartupFailed : public std::exception {
public:
    const char* what() const noexcept override { return "start-up failed"; }
};

} // namespace veltrona::cli
