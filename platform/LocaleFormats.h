#pragma once

#include "platform/DateTime.h"

#include <string>

namespace veltrona {

// The user's regional formats, as the reports and headers print dates and times.
class LocaleFormats {
public:
    virtual ~LocaleFormats() = default;
    virtual std::string shortDate(const DateTime& dt) const = 0;
    virtual std::string longTime(const DateTime& dt) const = 0;
    // The platform's standard date-and-time text (short date, a space, long time).
    virtual std::string dateTimeText(const DateTime& dt) const {
        return shortDate(dt) + " " + longTime(dt);
    }
};

// Fixed formats dd/mm/yyyy and hh:mm:ss: used by tests and wherever no locale is wanted.
class FixedLocaleFormats : public LocaleFormats {
public:
    std::string shortDate(const DateTime& dt) const override;
    std::string longTime(const DateTime& dt) const override;
};

} // namespace veltrona
