#pragma once

#include "platform/LocaleFormats.h"

namespace veltrona {

// The user's own short date and long time formats.
class SystemLocaleFormats : public LocaleFormats {
public:
    std::string shortDate(const DateTime& dt) const override;
    std::string longTime(const DateTime& dt) const override;
};

} // namespace veltrona
