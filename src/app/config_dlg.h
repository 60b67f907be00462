// CConfigDlg: the configuration dialog (template 133). Its slider shows
// the speed mirrored (position = 65 - speed), so moving it to the right
// makes the jigsaw assemble faster; a button opens the maker's home page.
// Below them the pictures: the saver's own picture or a folder (typed, or
// chosen with Browse), whether its subfolders count, and whether a caption
// shows each picture's date and file name. The folder's items take input
// only while the folder is chosen.
#pragma once

#include <string>

#include "app/picture_settings.h"
#include "framework/wnd.h"

class CConfigDlg : public CDialog {
public:
    CConfigDlg();
    ~CConfigDlg() override = default;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(UINT nID) override;
    // Binds m_slider to its control (item 1013).
    void BindControl(UINT nID, ISliderPeer* peer) override;

    void OnHomePage();
    void OnBrowse();

    CSliderCtrl m_slider;
    int m_nSpeed = 0;
    // In: what is stored. Out after OK: what the user chose (the folder
    // empty when the saver's own picture was chosen or no folder typed).
    PictureSettings m_pictures;

private:
    // The folder's items follow the radio buttons.
    void EnableFolderItems();
};
