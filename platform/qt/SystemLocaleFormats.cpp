#include "platform/qt/SystemLocaleFormats.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace veltrona {

std::string SystemLocaleFormats::shortDate(const DateTime& dt) const {
    return QLocale::system()
        .toString(QDate(dt.year, dt.month, dt.day), QLocale::ShortFormat)
        .toLatin1()
        .toStdString();
}

std::string SystemLocaleFormats::longTime(const DateTime& dt) const {
    // The long format of some locales names the time zone; the reports want the clock time only.
    return QLocale::system()
        .toString(QTime(dt.hour, dt.minute, dt.second), QStringLiteral("HH:mm:ss"))
        .toLatin1()
        .toStdString();
}

} // namespace veltrona
