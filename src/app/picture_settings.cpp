// The picture setting in the profile store (in the speed's section) and
// the ranking of the places a show's pictures may come from.
#include "app/picture_settings.h"

#include "app/saver_app.h"
#include "framework/wnd.h"

PictureSettings ReadPictureSettings(CWinApp& app)
{
    PictureSettings s;
    s.folder = app.GetProfileString(kSpeedSection, kPictureFolderEntry);
    s.subfolders = app.GetProfileInt(kSpeedSection, kPictureSubfoldersEntry, 1) != 0;
    s.caption = app.GetProfileInt(kSpeedSection, kPictureCaptionEntry, 0) != 0;
    return s;
}

PictureSettings StorePictureSettings(CWinApp& app, const PictureSettings& before, const PictureSettings& chosen)
{
    PictureSettings stored = chosen;
    if (before.folder || chosen.ShowsFolder())
        app.WriteProfileString(kSpeedSection, kPictureFolderEntry, chosen.folder.value_or(std::string()));
    else
        stored.folder = before.folder;
    app.WriteProfileInt(kSpeedSection, kPictureSubfoldersEntry, chosen.subfolders ? 1 : 0);
    app.WriteProfileInt(kSpeedSection, kPictureCaptionEntry, chosen.caption ? 1 : 0);
    return stored;
}

PictureChoice ChoosePictures(bool commandLineNamesPictures, const PictureSettings& saved,
                             const std::optional<std::string>& xscreensaverFolder)
{
    if (commandLineNamesPictures)
        return PictureChoice{PictureOrigin::commandLine, {}, true};
    if (saved.folder) {
        if (saved.folder->empty())
            return PictureChoice{};
        return PictureChoice{PictureOrigin::saverSetting, *saved.folder, saved.subfolders};
    }
    if (xscreensaverFolder && !xscreensaverFolder->empty())
        return PictureChoice{PictureOrigin::xscreensaver, *xscreensaverFolder, true};
    return PictureChoice{};
}
