// Where a show's pictures come from. The saver's own setting (chosen in
// the configuration dialog, kept beside the speed in section MOSVIK) and
// the one rule that ranks the places a folder may be named: the command
// line, then that setting, then XScreenSaver's image folder, then the
// picture embedded in the saver. The rule is a plain function; reading
// the stores and making the source are its callers' business. Trade-off:
// "the saver's own picture" is stored as an empty folder, so a saver that
// never stored a folder still follows XScreenSaver's, and one told to
// show its own picture does not.
#pragma once

#include <optional>
#include <string>

class CWinApp;

inline constexpr const char* kPictureFolderEntry = "PictureFolder";         // text, UTF-8
inline constexpr const char* kPictureSubfoldersEntry = "PictureSubfolders"; // number, default 1
inline constexpr const char* kPictureCaptionEntry = "PictureCaption";       // number, default 0

struct PictureSettings {
    // Nothing: never chosen. Empty: the saver's own picture. Else a folder.
    std::optional<std::string> folder;
    bool subfolders = true;
    bool caption = false;

    bool ShowsFolder() const { return folder && !folder->empty(); }
    friend bool operator==(const PictureSettings&, const PictureSettings&) = default;
};

// The three entries of section MOSVIK, through the application's profile
// functions (its registry key and name must be set).
PictureSettings ReadPictureSettings(CWinApp& app);
// Stores what the dialog chose and returns what is stored now. The folder
// is written once one was ever stored or one is chosen now: choosing
// nothing leaves a saver that never had a folder of its own following
// XScreenSaver's.
PictureSettings StorePictureSettings(CWinApp& app, const PictureSettings& before, const PictureSettings& chosen);

enum class PictureOrigin { commandLine, saverSetting, xscreensaver, embedded };

struct PictureChoice {
    PictureOrigin origin = PictureOrigin::embedded;
    std::string folder;      // the folder of a saverSetting or xscreensaver choice
    bool subfolders = true;  // walk its subfolders too
    friend bool operator==(const PictureChoice&, const PictureChoice&) = default;
};

// The first of: the command line (when it names a picture or a folder, it
// is taken as it stands), the saver's own setting (a folder, or its own
// picture when the folder is empty), XScreenSaver's image folder (nothing
// when it is not set or not to be used), the embedded picture.
PictureChoice ChoosePictures(bool commandLineNamesPictures, const PictureSettings& saved,
                             const std::optional<std::string>& xscreensaverFolder);
