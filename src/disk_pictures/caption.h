// The caption of a picture from the disk: the day it was taken (its EXIF
// DateTimeOriginal), else the day its file was last changed, written the
// way the user's locale writes dates (strftime's "%x", once the process has
// called setlocale(LC_TIME, "")), with the file name beside it.
// Trade-off: the day only, no time of day; EXIF dates carry no time zone
// and are taken as they read.
#pragma once

#include <cstdint>
#include <string>

// `taken` is "YYYY:MM:DD HH:MM:SS" or empty; `modified` is seconds since
// 1970 (UTC), shown in local time. Control characters in the name become '?'.
std::string CaptionText(const std::string& taken, std::int64_t modified, const std::string& name);
