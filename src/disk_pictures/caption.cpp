// strftime over a struct tm made from the EXIF digits or from localtime.
#include "disk_pictures/caption.h"

#include <ctime>

namespace {

int Digits(const std::string& s, std::size_t at, std::size_t n)
{
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

} // namespace

std::string CaptionText(const std::string& taken, std::int64_t modified, const std::string& name)
{
    std::tm day{};
    bool known = false;
    if (taken.size() >= 10) { // the EXIF reader let only digits and separators through
        day.tm_year = Digits(taken, 0, 4) - 1900;
        day.tm_mon = Digits(taken, 5, 2) - 1;
        day.tm_mday = Digits(taken, 8, 2);
        known = day.tm_year > 0 && day.tm_mon >= 0 && day.tm_mon < 12 && day.tm_mday >= 1 && day.tm_mday <= 31;
        if (known) { // the weekday too, for locales whose dates name it
            std::tm noon = day;
            noon.tm_hour = 12;
            noon.tm_isdst = -1;
            if (std::mktime(&noon) != std::time_t(-1))
                day.tm_wday = noon.tm_wday;
        }
    }
    if (!known) {
        const std::time_t t = static_cast<std::time_t>(modified);
#ifdef _WIN32
        known = localtime_s(&day, &t) == 0;
#else
        known = localtime_r(&t, &day) != nullptr;
#endif
    }
    char date[128] = {};
    std::string text = known && std::strftime(date, sizeof date, "%x", &day) > 0 ? std::string(date) + "  " : "";
    for (char c : name)
        text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return text;
}
