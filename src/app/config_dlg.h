// CConfigDlg: the configuration dialog (template 133). Its slider shows
// the speed mirrored (position = 65 - speed), so moving it to the right
// makes the jigsaw assemble faster; a button opens the maker's home page.
#pragma once

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

    CSliderCtrl m_slider;
    int m_nSpeed = 0;
};
