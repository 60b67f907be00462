// The configuration dialog's speed arithmetic, its pictures group and its
// one use: the application copies its settings in, runs the dialog
// modally and, on OK, keeps and stores what came back. Cancel leaves
// everything as it was.
#include "app/config_dlg.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "app/saver_app.h"
#include "resources/resource.h"

namespace {
// The slider position that shows a speed (and back): mirror images in 1..64.
int MirrorSpeed(std::int64_t v) { return int(std::clamp<std::int64_t>(65 - v, INT32_MIN, INT32_MAX)); }

// A typed folder without the blanks around it (a name may hold others).
std::string TrimBlanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
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

    CheckRadioButton(IDC_OWN_PICTURE, IDC_FOLDER_PICTURES,
                     m_pictures.ShowsFolder() ? IDC_FOLDER_PICTURES : IDC_OWN_PICTURE);
    SetDlgItemText(IDC_PICTURE_FOLDER, m_pictures.folder.value_or(std::string()));
    CheckDlgButton(IDC_SUBFOLDERS, m_pictures.subfolders ? 1 : 0);
    CheckDlgButton(IDC_CAPTION, m_pictures.caption ? 1 : 0);
    EnableFolderItems();
    return TRUE;
}

void CConfigDlg::EnableFolderItems()
{
    const BOOL bFolder = IsDlgButtonChecked(IDC_FOLDER_PICTURES) ? TRUE : FALSE;
    for (UINT id : {IDC_PICTURE_FOLDER, IDC_BROWSE, IDC_SUBFOLDERS, IDC_CAPTION})
        EnableDlgItem(id, bFolder);
}

void CConfigDlg::OnBrowse()
{
    const std::optional<std::string> folder = PickFolder(TrimBlanks(GetDlgItemText(IDC_PICTURE_FOLDER)));
    if (!folder)
        return;
    SetDlgItemText(IDC_PICTURE_FOLDER, *folder);
    CheckRadioButton(IDC_OWN_PICTURE, IDC_FOLDER_PICTURES, IDC_FOLDER_PICTURES);
    EnableFolderItems();
}

void CConfigDlg::OnOK()
{
    const int nPos = m_slider.GetPos();
    int nMin = 0, nMax = 0;
    m_slider.GetRange(nMin, nMax);
    m_nSpeed = nMax - nPos + 1;

    const std::string folder = TrimBlanks(GetDlgItemText(IDC_PICTURE_FOLDER));
    m_pictures.folder = IsDlgButtonChecked(IDC_FOLDER_PICTURES) ? folder : std::string();
    m_pictures.subfolders = IsDlgButtonChecked(IDC_SUBFOLDERS) != 0;
    m_pictures.caption = IsDlgButtonChecked(IDC_CAPTION) != 0;
    CDialog::OnOK();
}

BOOL CConfigDlg::OnCommand(UINT nID)
{
    switch (nID) {
    case IDC_HOMEPAGE:
        OnHomePage();
        return TRUE;
    case IDC_BROWSE:
        OnBrowse();
        return TRUE;
    case IDC_OWN_PICTURE:
    case IDC_FOLDER_PICTURES:
        EnableFolderItems();
        return TRUE;
    default:
        return CDialog::OnCommand(nID);
    }
}

void CSaverApp::RunConfigDialog()
{
    CConfigDlg dlg;
    m_pMainWnd = &dlg;
    dlg.m_nSpeed = m_nSpeed;
    dlg.m_pictures = m_pictures;
    const int nResult = dlg.DoModal();
    m_pMainWnd = nullptr; // the dialog's window is gone
    if (nResult == IDOK) {
        m_nSpeed = dlg.m_nSpeed;
        WriteProfileInt(kSpeedSection, kSpeedEntry, m_nSpeed);
        m_pictures = StorePictureSettings(*this, m_pictures, dlg.m_pictures);
    }
}
