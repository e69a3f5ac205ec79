#pragma once

#include <array>
#include <string>

namespace veltrona {

class Trace;

// The 200 numbered user-visible texts. Message n of the texts is Message(n); numbers outside
// 1..200 read as the empty text.
class MessageTable {
public:
    static constexpr int Size = 200;

    const std::string& Message(int n) const;
    void Set(int n, std::string text);

    // Messages 1..114 get the built-in defaults, 115..120 are emptied. Traces
    // "flinished language file defaults".
    void SetDefaultMessages(Trace& trace);

private:
    std::array<std::string, Size + 1> texts_{};
};

} // namespace veltrona
