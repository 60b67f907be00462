// The composition root's part in where a show's pictures come from. The
// command line's picture options are taken as they stand; without a
// picture or a folder there, the saver's own setting and then
// XScreenSaver's image folder name the folder, in the order ChoosePictures
// gives. The choice waits for the application's start-up, which reads the
// setting with the speed, and is made only when a show starts: the
// configuration dialog never lists a folder.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/picture_settings.h"
#include "disk_pictures/disk_pictures.h"

class CSaverApp;

// XScreenSaver's image folder, asked for only when it may count; null
// where there is none to ask (Windows, the headless backend).
using ImageFolderReader = std::function<std::optional<std::string>()>;

// The options a show's source is made with; nothing: the embedded picture.
std::optional<PictureOptions> ChosenPictureOptions(const PictureOptions& commandLine, const PictureSettings& saved,
                                                   const ImageFolderReader& xscreensaver);

// Installs on `app` the factory of its picture source. The source made is
// kept by the factory, that is until the process ends.
void InstallPictureChoice(CSaverApp& app, PictureOptions commandLine, ImageFolderReader xscreensaver);
