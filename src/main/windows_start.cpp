// The Windows saver's composition: pictures from the folder of the
// saver's setting, else its own picture. No XScreenSaver there.
#include "main/windows_start.h"

#include "app/saver_app.h"
#include "main/picture_choice.h"

void PrepareWindowsSaver() { InstallPictureChoice(GetSaverApp(), PictureOptions{}, nullptr); }
