// The folder picker of the configuration dialog: the shell's common item
// dialog (IFileOpenDialog) in its folder mode, owned by the dialog, which
// it keeps modal. COM is started for the call and stopped after it.
// Trade-off: only folders of the file system can be chosen (no libraries
// or network places without a path), since the saver lists them by path.
#include <windows.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include "backends/win32/win32_api.h"
#include "backends/win32/win32_wide.h"

namespace w32 {
namespace {

// Owner of one COM interface pointer.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef()
    {
        if (m_p)
            m_p->Release();
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Put() { return &m_p; }

private:
    T* m_p = nullptr;
};

// COM on the calling thread for a scope (left alone when the thread
// already runs it in another mode).
class ComApartment {
public:
    ComApartment() : m_bStarted(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (m_bStarted)
            ::CoUninitialize();
    }

private:
    bool m_bStarted;
};

struct TaskMemFree {
    void operator()(wchar_t* p) const { ::CoTaskMemFree(p); }
};

} // namespace

bool PickFolder(Handle owner, const std::string& title, const std::string& initial, std::string& folder)
{
    ComApartment com;
    ComRef<IFileOpenDialog> dlg;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dlg.Put()))))
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dlg->GetOptions(&options)) ||
        FAILED(dlg->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)))
        return false;
    dlg->SetTitle(Widen(title).c_str());
    if (!initial.empty()) {
        ComRef<IShellItem> start;
        if (SUCCEEDED(::SHCreateItemFromParsingName(Widen(initial).c_str(), nullptr, IID_PPV_ARGS(start.Put()))))
            dlg->SetFolder(start.Get());
    }
    if (FAILED(dlg->Show(owner))) // cancelled, or no dialog
        return false;
    ComRef<IShellItem> chosen;
    wchar_t* raw = nullptr;
    if (FAILED(dlg->GetResult(chosen.Put())) || FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &raw)))
        return false;
    const std::unique_ptr<wchar_t, TaskMemFree> path(raw);
    if (!path)
        return false;
    folder = Narrow(path.get());
    return true;
}

} // namespace w32
