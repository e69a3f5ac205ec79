#include "reports/ReportRequest.h"

namespace veltrona {

namespace {

// A two-character number field of a time edit; leading blanks are allowed as the edit's optional
// first digit leaves one.
bool readField(const std::string& text, std::size_t pos, int& value) {
    if (text.size() < pos + 2)
        return false;
    value = 0;
    bool digits = false;
    for (std::size_t i = pos; i < pos + 2; ++i) {
        const char c = text[i];
        if (c == ' ' && !digits)
            continue;
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        digits = true;
    }
    return digits;
}

} // namespace

TimeOfDay ParseTimeText(const std::string& text) {
    TimeOfDay t;
    if (!readField(text, 0, t.hour) || !readField(text, 3, t.minute) || t.hour > 23 ||
        t.minute > 59)
        throw ReportTimeError("'" + text + "' is not a valid time");
    return t;
}

std::string TimeText(int hour, int minute) {
    return twoDigits(hour) + "h" + twoDigits(minute);
}

std::string PointFilterId(const std::string& selectorText) {
    std::string s = selectorText;
    while (s.size() < 7)
        s.insert(s.begin(), '0');
    return s.substr(1, 6);
}

std::string PointSelectorEntry(const std::string& id, const std::string& name) {
    return "(" + id + ") " + name;
}

} // namespace veltrona
