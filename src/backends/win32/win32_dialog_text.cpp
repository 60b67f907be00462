// The core's side of the Win32 dialog and text engine: the trackbar peer
// that a CSliderCtrl mirrors to, the items the dialog reaches by id, the
// dialog hooks that run CDialog's logic for the dialog manager, and the
// ITextEngine that hands fonts and text to GDI. Nothing here throws into
// the system's frames.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "framework/exceptions.h"
#include "backends/win32/win32_platform.h"
#include "framework/wnd.h"
#include "resources/resource.h"

namespace {

// Item 1013 of the dialog, driven through the trackbar's messages.
class CWin32SliderPeer final : public ISliderPeer {
public:
    explicit CWin32SliderPeer(w32::Handle hCtrl) : m_hCtrl(hCtrl) {}
    void SetRange(int nMin, int nMax, BOOL bRedraw) override { w32::SliderSetRange(m_hCtrl, nMin, nMax, bRedraw); }
    void SetPos(int nPos) override { w32::SliderSetPos(m_hCtrl, nPos); }
    int GetPos() const override { return w32::SliderGetPos(m_hCtrl); }

private:
    w32::Handle m_hCtrl;
};

// The dialog's other items, by id, and the shell's folder picker.
class CWin32DialogItems final : public IDialogItems {
public:
    explicit CWin32DialogItems(w32::Handle hDlg) : m_hDlg(hDlg) {}
    std::string GetText(UINT nID) const override { return w32::DialogItemText(m_hDlg, int(nID)); }
    void SetText(UINT nID, const std::string& text) override { w32::SetDialogItemText(m_hDlg, int(nID), text); }
    bool IsChecked(UINT nID) const override { return w32::DialogButtonChecked(m_hDlg, int(nID)); }
    void SetChecked(UINT nID, bool checked) override { w32::CheckDialogButton(m_hDlg, int(nID), checked); }
    void Enable(UINT nID, bool enable) override { w32::EnableDialogItem(m_hDlg, int(nID), enable); }
    std::optional<std::string> PickFolder(const std::string& initial) override
    {
        std::string folder;
        if (!w32::PickFolder(m_hDlg, MOSVIK_PICK_FOLDER_TEXT, initial, folder))
            return std::nullopt;
        return folder;
    }

private:
    w32::Handle m_hDlg;
};

// What the dialog procedure carries for one modal run.
struct DialogRun {
    CDialog& dlg;
    std::unique_ptr<CWin32SliderPeer> slider;
    std::unique_ptr<CWin32DialogItems> items;
};

// A failure inside a dialog handler: the silent user exception is ignored
// (as the framework's guard does); anything else ends the process, since
// it may not unwind through the dialog manager.
[[noreturn]] void FailInDialog(const char* what)
{
    std::fprintf(stderr, "mosvik: %s\n", what);
    std::fflush(nullptr);
    std::exit(1);
}

w32::FontDesc ToFontDesc(const LOGFONT& lf)
{
    w32::FontDesc d;
    d.height = lf.lfHeight;
    d.width = lf.lfWidth;
    d.escapement = lf.lfEscapement;
    d.orientation = lf.lfOrientation;
    d.weight = lf.lfWeight;
    d.italic = lf.lfItalic;
    d.underline = lf.lfUnderline;
    d.strikeOut = lf.lfStrikeOut;
    d.charSet = lf.lfCharSet;
    d.outPrecision = lf.lfOutPrecision;
    d.clipPrecision = lf.lfClipPrecision;
    d.quality = lf.lfQuality;
    d.pitchAndFamily = lf.lfPitchAndFamily;
    static_assert(sizeof d.faceName == sizeof lf.lfFaceName);
    std::memcpy(d.faceName, lf.lfFaceName, sizeof d.faceName);
    d.faceName[sizeof d.faceName - 1] = '\0';
    return d;
}

} // namespace

int CWin32Platform::RunDialog(CDialog& dlg, UINT templateId)
{
    DialogRun run{dlg, nullptr, nullptr};
    const int result = w32::RunModalDialog(&run, templateId);
    // The controls are gone with the dialog: the slider and the items keep
    // their last model.
    dlg.BindControl(IDC_SPEED, nullptr);
    dlg.AttachItems(nullptr);
    return result;
}

SIZE CGdiTextEngine::Measure(const LOGFONT& font, std::string_view text)
{
    SIZE sz;
    w32::MeasureText(ToFontDesc(font), text.data(), text.size(), sz.cx, sz.cy);
    return sz;
}

void CGdiTextEngine::Render(const LOGFONT& font, std::string_view text, UINT format, const RECT& box, TextMask& out)
{
    w32::Rect mask;
    w32::RenderText(ToFontDesc(font), text.data(), text.size(), (format & DT_CENTER) != 0, (format & DT_NOCLIP) != 0,
                    w32::Rect{box.left, box.top, box.right, box.bottom}, mask, out.alpha);
    out.rc = RECT{mask.left, mask.top, mask.right, mask.bottom};
}

namespace w32::core {

bool DialogInit(void* dlg, Handle hDlg) noexcept
{
    auto& run = *static_cast<DialogRun*>(dlg);
    try {
        run.slider = std::make_unique<CWin32SliderPeer>(w32::DialogItem(hDlg, IDC_SPEED));
        run.dlg.BindControl(IDC_SPEED, run.slider.get());
        run.items = std::make_unique<CWin32DialogItems>(hDlg);
        run.dlg.AttachItems(run.items.get());
        return run.dlg.OnInitDialog() != FALSE;
    } catch (const CUserException&) {
        return true;
    } catch (const std::exception& e) {
        FailInDialog(e.what());
    } catch (...) {
        FailInDialog("unexpected failure in the dialog");
    }
}

bool DialogCommand(void* dlg, int id, int& result) noexcept
{
    auto& run = *static_cast<DialogRun*>(dlg);
    try {
        if (id == IDOK)
            run.dlg.OnOK();
        else if (id == IDCANCEL)
            run.dlg.OnCancel();
        else
            run.dlg.OnCommand(UINT(id));
    } catch (const CUserException&) {
        // absorbed, as the framework's guard does
    } catch (const std::exception& e) {
        FailInDialog(e.what());
    } catch (...) {
        FailInDialog("unexpected failure in the dialog");
    }
    if (!run.dlg.IsEnded())
        return false;
    result = run.dlg.GetResult();
    return true;
}

} // namespace w32::core
