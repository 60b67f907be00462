// CPosixPlatform: the window table, creation and destruction with their
// synchronous messages, the message queue, timers and dispatch.
#include "backends/posix/posix_platform.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "framework/exceptions.h"
#include "framework/wnd.h"

namespace {
// SetTimer's limits on Windows: shorter periods are raised to 10 ms.
constexpr UINT kMinTimer = 10;
constexpr UINT kMaxTimer = 0x7FFFFFFF;
} // namespace

CPosixWindow* CPosixPlatform::FindWindow(HWND hwnd)
{
    auto it = m_windows.find(hwnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

std::vector<CPosixWindow*> CPosixPlatform::Windows()
{
    std::vector<CPosixWindow*> list;
    for (auto& [h, w] : m_windows)
        list.push_back(w.get());
    std::sort(list.begin(), list.end(),
              [](const CPosixWindow* a, const CPosixWindow* b) { return a->createSeq < b->createSeq; });
    return list;
}

CPosixWindow* CPosixPlatform::InputWindow()
{
    CPosixWindow* best = nullptr;
    for (auto& [h, w] : m_windows) {
        if (!w->foreign && !w->destroying && w->owner && (!best || w->createSeq > best->createSeq))
            best = w.get();
    }
    return best;
}

POINT CPosixPlatform::ScreenOrigin(const CPosixWindow& w)
{
    POINT p{};
    const CPosixWindow* cur = &w;
    for (int depth = 0; cur && depth < 64; ++depth) {
        p.x += cur->rect.left;
        p.y += cur->rect.top;
        cur = cur->parent ? FindWindow(cur->parent) : nullptr;
    }
    return p;
}

void CPosixPlatform::AddForeignWindow(HWND hwnd, SIZE client, std::uint64_t native)
{
    if (!hwnd || m_windows.count(hwnd))
        throw std::invalid_argument("window handle already in use");
    auto w = std::make_unique<CPosixWindow>();
    w->hwnd = hwnd;
    w->foreign = true;
    w->rect = RECT{0, 0, std::max<LONG>(client.cx, 0), std::max<LONG>(client.cy, 0)};
    w->createSeq = m_nextSeq++;
    w->native = native;
    m_windows.emplace(hwnd, std::move(w));
}

HWND CPosixPlatform::CreateWindow(CWnd* owner, DWORD exStyle, DWORD style, const RECT& rc, HWND parent)
{
    if (!owner)
        return nullptr;
    if (parent) {
        const CPosixWindow* p = FindWindow(parent);
        if (!p || p->destroying)
            return nullptr;
    } else if (style & WS_CHILD) {
        return nullptr; // a child needs a parent
    }
    auto rec = std::make_unique<CPosixWindow>();
    CPosixWindow& w = *rec;
    const HWND hwnd = reinterpret_cast<HWND>(rec.get());
    if (m_windows.count(hwnd))
        return nullptr;
    w.hwnd = hwnd;
    w.owner = owner;
    w.parent = parent;
    w.style = style;
    w.exStyle = exStyle;
    w.rect = rc;
    w.createSeq = m_nextSeq++;
    try {
        w.surface.Resize(std::max<LONG>(rc.right - rc.left, 0), std::max<LONG>(rc.bottom - rc.top, 0));
    } catch (const std::length_error&) {
        return nullptr;
    }
    w.surface.Fill(0);
    m_windows.emplace(hwnd, std::move(rec));
    if (!OnWindowCreated(w)) {
        m_windows.erase(hwnd);
        return nullptr;
    }
    const LRESULT created = owner->OnMessageGuarded(hwnd, WM_CREATE, 0, 0);
    CPosixWindow* alive = FindWindow(hwnd);
    if (!alive || alive->destroying)
        return nullptr; // destroyed while it was being created
    if (created == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (style & WS_VISIBLE)
        Invalidate(hwnd);
    return hwnd;
}

void CPosixPlatform::SendToOwner(CPosixWindow& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (w.owner)
        w.owner->OnMessageGuarded(w.hwnd, message, wParam, lParam);
}

BOOL CPosixPlatform::DestroyWindow(HWND hwnd)
{
    CPosixWindow* w = FindWindow(hwnd);
    if (!w || w->foreign || w->destroying)
        return FALSE;
    DestroyTree(*w);
    return TRUE;
}

void CPosixPlatform::DestroyTree(CPosixWindow& start)
{
    // Handlers may create or destroy windows meanwhile, so windows are
    // looked up again by handle after every message.
    const HWND hwnd = start.hwnd;
    start.destroying = true;
    SendToOwner(start, WM_DESTROY, 0, 0);

    std::vector<HWND> children;
    for (auto& [h, c] : m_windows) {
        if (c->parent == hwnd && !c->destroying)
            children.push_back(h);
    }
    for (HWND child : children) {
        if (CPosixWindow* c = FindWindow(child); c && !c->destroying && !c->foreign)
            DestroyTree(*c);
    }

    CPosixWindow* w = FindWindow(hwnd);
    if (!w)
        return;
    CWnd* owner = w->owner;
    w->owner = nullptr; // the object may delete itself after WM_NCDESTROY
    if (owner)
        owner->OnMessageGuarded(hwnd, WM_NCDESTROY, 0, 0);
    FreeWindow(hwnd);
}

void CPosixPlatform::DestroyForeignWindow(HWND hwnd)
{
    CPosixWindow* w = FindWindow(hwnd);
    if (!w || !w->foreign || w->destroying)
        return;
    w->destroying = true;
    std::vector<HWND> children;
    for (auto& [h, c] : m_windows) {
        if (c->parent == hwnd)
            children.push_back(h);
    }
    for (HWND child : children) {
        if (CPosixWindow* c = FindWindow(child); c && !c->destroying && !c->foreign)
            DestroyTree(*c);
    }
    FreeWindow(hwnd);
}

void CPosixPlatform::FreeWindow(HWND hwnd)
{
    CPosixWindow* w = FindWindow(hwnd);
    if (!w)
        return;
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    std::erase_if(m_queue, [&](const MSG& m) { return m.hwnd == hwnd; });
    OnWindowDestroyed(*w);
    m_windows.erase(hwnd);
}

BOOL CPosixPlatform::IsWindow(HWND hwnd) { return FindWindow(hwnd) ? TRUE : FALSE; }

BOOL CPosixPlatform::GetClientRect(HWND hwnd, RECT* rc)
{
    const CPosixWindow* w = FindWindow(hwnd);
    if (!w || !rc)
        return FALSE;
    *rc = RECT{0, 0, std::max<LONG>(w->rect.right - w->rect.left, 0), std::max<LONG>(w->rect.bottom - w->rect.top, 0)};
    return TRUE;
}

CSurface* CPosixPlatform::GetWindowSurface(HWND hwnd)
{
    CPosixWindow* w = FindWindow(hwnd);
    return w && !w->foreign ? &w->surface : nullptr;
}

bool CPosixPlatform::PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !FindWindow(hwnd))
        return false;
    m_queue.push_back(MSG{hwnd, message, wParam, lParam});
    return true;
}

void CPosixPlatform::Invalidate(HWND hwnd, const RECT* rc)
{
    if (CPosixWindow* w = FindWindow(hwnd)) {
        if (rc)
            w->update.push_back(*rc);
        else
            w->updateAll = true;
    }
    for (const MSG& m : m_queue) {
        if (m.hwnd == hwnd && m.message == WM_PAINT)
            return;
    }
    PostMessage(hwnd, WM_PAINT, 0, 0);
}

std::vector<RECT> CPosixPlatform::PaintClip(HWND hwnd, const RECT& rc)
{
    const CPosixWindow* w = FindWindow(hwnd);
    if (!w || !w->painting)
        return {rc};
    std::vector<RECT> out;
    for (const RECT& p : w->paint) {
        RECT r{};
        if (IntersectRect(r, rc, p))
            out.push_back(r);
    }
    return out;
}

void CPosixPlatform::PostQuitMessage(int code)
{
    m_bQuit = true;
    m_nQuitCode = code;
}

BOOL CPosixPlatform::PeekMessage(MSG* msg)
{
    PollEvents();
    if (!m_queue.empty()) {
        *msg = m_queue.front();
        m_queue.pop_front();
        return TRUE;
    }
    if (m_bQuit) {
        m_bQuit = false;
        *msg = MSG{nullptr, WM_QUIT, WPARAM(m_nQuitCode), 0};
        return TRUE;
    }
    return TakeDueTimer(msg) ? TRUE : FALSE;
}

bool CPosixPlatform::TakeDueTimer(MSG* msg)
{
    if (m_timers.empty())
        return false;
    const std::int64_t now = MonotonicMs();
    Timer* best = nullptr;
    for (Timer& t : m_timers) {
        if (t.due <= now && (!best || t.due < best->due || (t.due == best->due && t.seq < best->seq)))
            best = &t;
    }
    if (!best)
        return false;
    // One WM_TIMER at a time per timer: the next falls due a period after
    // this one was taken.
    best->due = now + best->elapse;
    *msg = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc)};
    return true;
}

std::optional<std::int64_t> CPosixPlatform::NextTimerDue()
{
    if (m_timers.empty())
        return std::nullopt;
    std::int64_t due = m_timers.front().due;
    for (const Timer& t : m_timers)
        due = std::min(due, t.due);
    return std::max<std::int64_t>(due - MonotonicMs(), 0);
}

BOOL CPosixPlatform::GetMessage(MSG* msg)
{
    for (;;) {
        if (PeekMessage(msg))
            return msg->message != WM_QUIT;
        WaitForEvents(NextTimerDue());
    }
}

LRESULT CPosixPlatform::DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        // A timer procedure runs outside any window's guard, so it gets
        // the same one here: the silent user exception is absorbed.
        const auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        try {
            proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        } catch (const CUserException&) {
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mosvik: %s\n", e.what());
            Exit(1);
        }
        return 0;
    }
    CPosixWindow* w = FindWindow(msg->hwnd);
    if (!w || !w->owner)
        return 0;
    if (msg->message != WM_PAINT)
        return w->owner->OnMessageGuarded(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // Painting: the invalid parts become what may be presented until the
    // handler returns; the window is valid again.
    w->painting = !w->updateAll && !w->update.empty();
    w->paint = std::move(w->update);
    w->update.clear();
    w->updateAll = false;
    const LRESULT r = w->owner->OnMessageGuarded(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    if (CPosixWindow* still = FindWindow(msg->hwnd))
        still->painting = false;
    return r;
}

LRESULT CPosixPlatform::DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            if (CPosixWindow* w = FindWindow(hwnd))
                SendToOwner(*w, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_NCACTIVATE:
        return TRUE; // the change of activation goes ahead
    default:
        return 0; // WM_SETCURSOR (no cursor set), WM_PAINT and the rest
    }
}

UINT_PTR CPosixPlatform::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (hwnd && !FindWindow(hwnd))
        return 0;
    elapse = std::clamp(elapse, kMinTimer, kMaxTimer);
    if (!hwnd) {
        // Thread timers get a fresh identifier unless an existing one is reset.
        auto it = std::find_if(m_timers.begin(), m_timers.end(),
                               [&](const Timer& t) { return !t.hwnd && t.id == id && id != 0; });
        if (it == m_timers.end()) {
            id = ++m_nextThreadTimer;
        }
    }
    const std::int64_t due = MonotonicMs() + elapse;
    for (Timer& t : m_timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.elapse = elapse;
            t.proc = proc;
            t.due = due;
            return id ? id : 1;
        }
    }
    m_timers.push_back(Timer{hwnd, id, elapse, proc, due, m_nextSeq++});
    return id ? id : 1;
}

BOOL CPosixPlatform::KillTimer(HWND hwnd, UINT_PTR id)
{
    const auto n = std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return n ? TRUE : FALSE;
}
