#pragma once

#include <optional>
#include <string>

namespace veltrona {

// Everything the core asks of the user or shows while it works. The window program shows real
// dialogs and the main window's progress panel; the command-line front end prints; tests script
// the answers.
class Prompts {
public:
    enum class Led { Red, Yellow, Purple, Lime, Green };

    virtual ~Prompts() = default;
    // A message box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // A Yes/No confirmation; true for Yes.
    virtual bool confirm(const std::string& text) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<std::string>
    inputBox(const std::string& caption, const std::string& prompt, const std::string& initial) = 0;
    // Lets the user interface repaint and handle input during a long operation.
    virtual void processEvents() {}
    virtual void setBusyCursor(bool /*busy*/) {}
    // The main window's progress panel and gauge.
    virtual void showProgress(bool /*visible*/) {}
    virtual void setProgress(int /*position*/, int /*maximum*/) {}
    virtual void setLed(Led /*colour*/) {}
    virtual void setStatusText(const std::string& /*text*/) {}
};

} // namespace veltrona
