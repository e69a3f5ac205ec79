#pragma once

#include "platform/Prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace veltrona {

// Prompts for tests: records every message and answers confirmations and input boxes from
// scripted queues (default: Yes / cancel).
class RecordingPrompts : public Prompts {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool confirm(const std::string& text) override {
        confirmations.push_back(text);
        if (confirmAnswers.empty())
            return true;
        const bool a = confirmAnswers.front();
        confirmAnswers.pop_front();
        return a;
    }
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override {
        inputs.push_back(caption + "|" + prompt + "|" + initial);
        if (inputAnswers.empty())
            return std::nullopt;
        auto a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    void processEvents() override { ++eventsProcessed; }
    void setBusyCursor(bool on) override { busy = on; }
    void showProgress(bool visible) override { progressVisible = visible; }
    void setProgress(int position, int maximum) override {
        progressPosition = position;
        progressMaximum = maximum;
    }
    void setLed(Led colour) override { led = colour; }
    void setStatusText(const std::string& text) override { statusText = text; }

    std::vector<std::string> messages;
    std::vector<std::string> confirmations;
    std::vector<std::string> inputs;
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    int eventsProcessed = 0;
    bool busy = false;
    bool progressVisible = false;
    int progressPosition = 0;
    int progressMaximum = 0;
    Led led = Led::Red;
    std::string statusText;
};

} // namespace veltrona
