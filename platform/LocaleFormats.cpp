#include "platform/LocaleFormats.h"

namespace veltrona {

std::string FixedLocaleFormats::shortDate(const DateTime& dt) const {
    return twoDigits(dt.day) + "/" + twoDigits(dt.month) + "/" + std::to_string(dt.year);
}

std::string FixedLocaleFormats::longTime(const DateTime& dt) const {
    return twoDigits(dt.hour) + ":" + twoDigits(dt.minute) + ":" + twoDigits(dt.second);
}

} // namespace veltrona
