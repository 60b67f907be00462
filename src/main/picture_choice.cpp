// A show's picture source from the command line, the saver's setting and
// XScreenSaver's image folder. Folder names are UTF-8 in the settings; the
// path is made from them as UTF-8 on every system.
#include "main/picture_choice.h"

#include <memory>
#include <utility>

#include "app/picture_settings.h"
#include "app/saver_app.h"

namespace {
std::filesystem::path PathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
} // namespace

std::optional<PictureOptions> ChosenPictureOptions(const PictureOptions& commandLine, const PictureSettings& saved,
                                                   const ImageFolderReader& xscreensaver)
{
    const bool named = !commandLine.file.empty() || !commandLine.dir.empty();
    std::optional<std::string> xscreensaverFolder;
    if (!named && !saved.folder && xscreensaver)
        xscreensaverFolder = xscreensaver();
    const PictureChoice choice = ChoosePictures(named, saved, xscreensaverFolder);
    PictureOptions options = commandLine;
    if (choice.origin == PictureOrigin::saverSetting || choice.origin == PictureOrigin::xscreensaver)
        options.dir = PathFromUtf8(choice.folder);
    if (!options.Any())
        return std::nullopt;
    return options;
}

void InstallPictureChoice(CSaverApp& app, PictureOptions commandLine, ImageFolderReader xscreensaver)
{
    app.m_makeDocSource = [commandLine = std::move(commandLine), xscreensaver = std::move(xscreensaver),
                           source = std::shared_ptr<CDiskPictureSource>()](
                              const PictureSettings& saved) mutable -> IDocumentSource* {
        std::optional<PictureOptions> options = ChosenPictureOptions(commandLine, saved, xscreensaver);
        if (!options)
            return nullptr;
        source = std::make_shared<CDiskPictureSource>(std::move(*options));
        return source.get();
    };
}
