// The configuration dialog's speed arithmetic and its one use: the
// application copies its speed in, runs the dialog modally and, on OK,
// keeps and stores what came back. Cancel leaves everything as it was.
#include "app/config_dlg.h"

#include <algorithm>
#include <cstdint>

#include "app/saver_app.h"
#include "resources/resource.h"

namespace {
// The slider position that shows a speed (and back): mirror images in 1..64.
int MirrorSpeed(std::int64_t v) { return int(std::clamp<std::int64_t>(65 - v, INT32_MIN, INT32_MAX)); }
} // namespace

CConfigDlg::CConfigDlg() : CDialog(IDD_CONFIG) {}

void CConfigDlg::BindControl(UINT nID, ISliderPeer* peer)
{
    if (nID == IDC_SPEED)
        m_slider.Attach(peer);
}

BOOL CConfigDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_slider.SetRange(kMinSpeed, kMaxSpeed, FALSE);
    // A speed outside the range shows at the nearest end: the control keeps
    // its position inside its range.
    m_slider.SetPos(MirrorSpeed(m_nSpeed));
    return TRUE;
}

void CConfigDlg::OnOK()
{
    const int nPos = m_slider.GetPos();
    int nMin = 0, nMax = 0;
    m_slider.GetRange(nMin, nMax);
    m_nSpeed = nMax - nPos + 1;
    CDialog::OnOK();
}

BOOL CConfigDlg::OnCommand(UINT nID)
{
    if (nID == IDC_HOMEPAGE) {
        OnHomePage();
        return TRUE;
    }
    return CDialog::OnCommand(nID);
}

void CSaverApp::RunConfigDialog()
{
    CConfigDlg dlg;
    m_pMainWnd = &dlg;
    dlg.m_nSpeed = m_nSpeed;
    const int nResult = dlg.DoModal();
    m_pMainWnd = nullptr; // the dialog's window is gone
    if (nResult == IDOK) {
        m_nSpeed = dlg.m_nSpeed;
        WriteProfileInt(kSpeedSection, kSpeedEntry, m_nSpeed);
    }
}
