// CX11Image: the shared or plain XImage of a window and the pixel copy.
#include "backends/x11/x11_image.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "raster/surface.h"
#include "backends/x11/x11_display.h"

namespace {
// Image rows of at most this many bytes in all (the surface's own cap).
constexpr std::uint64_t kMaxImageBytes = CSurface::kMaxPixels * 4;

std::uint64_t ImageBytes(const XImage* image)
{
    const std::uint64_t bytes = std::uint64_t(std::max(image->bytes_per_line, 0)) * std::uint64_t(image->height);
    if (image->bytes_per_line <= 0 || bytes > kMaxImageBytes)
        throw std::length_error("X image too large");
    return bytes;
}
} // namespace

CX11Image::CX11Image(CX11Display& display) : m_display(display) { m_shm.shmid = -1; }

CX11Image::~CX11Image() { Release(); }

bool CX11Image::IsLentTo(const CSurface& surface) const
{
    return m_image && &surface == m_pBorrower && surface.IsLent() &&
           surface.Pixels() == reinterpret_cast<const std::uint32_t*>(m_image->data);
}

void CX11Image::Release()
{
    if (!m_image)
        return;
    if (m_pBorrower && IsLentTo(*m_pBorrower))
        m_pBorrower->EndLoan();
    m_pBorrower = nullptr;
    if (m_shm.shmid >= 0) {
        XShmDetach(m_display.Dpy(), &m_shm);
        XSync(m_display.Dpy(), False); // the server lets go before the memory does
        m_image->data = nullptr;
        XDestroyImage(m_image);
        shmdt(m_shm.shmaddr);
        m_shm = XShmSegmentInfo{};
        m_shm.shmid = -1;
    } else {
        XDestroyImage(m_image); // frees the malloc'd pixels too
    }
    m_image = nullptr;
    m_width = m_height = 0;
}

bool CX11Image::AllocateShm(int width, int height)
{
    // The image keeps a pointer to the segment's description (obdata), so
    // it is the member, filled in place.
    Display* dpy = m_display.Dpy();
    m_shm = XShmSegmentInfo{};
    m_shm.shmid = -1;
    auto fail = [&](XImage* image) {
        if (image) {
            image->data = nullptr;
            XDestroyImage(image);
        }
        if (m_shm.shmaddr && m_shm.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(m_shm.shmaddr);
        m_shm = XShmSegmentInfo{};
        m_shm.shmid = -1;
        return false;
    };
    XImage* image = XShmCreateImage(dpy, m_display.GetVisual(), unsigned(m_display.Depth()), ZPixmap, nullptr, &m_shm,
                                    unsigned(width), unsigned(height));
    if (!image)
        return fail(nullptr);
    std::uint64_t bytes = 0;
    try {
        bytes = ImageBytes(image);
    } catch (...) {
        fail(image);
        throw;
    }
    const int shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmid < 0)
        return fail(image);
    m_shm.shmaddr = static_cast<char*>(shmat(shmid, nullptr, 0));
    if (m_shm.shmaddr == reinterpret_cast<char*>(-1)) {
        shmctl(shmid, IPC_RMID, nullptr);
        return fail(image);
    }
    m_shm.shmid = shmid;
    image->data = m_shm.shmaddr;
    m_shm.readOnly = False;
    const bool attached = m_display.Checked([&] { XShmAttach(dpy, &m_shm); });
    // Marked for removal now: it goes when both sides have detached, even
    // if this process is killed.
    shmctl(shmid, IPC_RMID, nullptr);
    if (!attached)
        return fail(image);
    m_image = image;
    return true;
}

void CX11Image::AllocatePlain(int width, int height)
{
    XImage* image = XCreateImage(m_display.Dpy(), m_display.GetVisual(), unsigned(m_display.Depth()), ZPixmap, 0,
                                 nullptr, unsigned(width), unsigned(height), 32, 0);
    if (!image)
        throw std::runtime_error("cannot make an X image");
    std::uint64_t bytes = 0;
    try {
        bytes = ImageBytes(image);
    } catch (...) {
        XDestroyImage(image);
        throw;
    }
    image->data = static_cast<char*>(std::malloc(std::size_t(bytes)));
    if (!image->data) {
        XDestroyImage(image);
        throw std::bad_alloc();
    }
    m_image = image;
}

void CX11Image::Allocate(int width, int height)
{
    Release();
    if (!(m_display.HasShm() && AllocateShm(width, height))) {
        m_display.DisableShm(); // a server that refused once will refuse again
        AllocatePlain(width, height);
    }
    m_width = width;
    m_height = height;

    const XImage* im = m_image;
    const bool nativeOrder = (im->byte_order == LSBFirst) == (std::endian::native == std::endian::little);
    m_bDirectCopy = im->bits_per_pixel == 32 && nativeOrder && im->red_mask == 0xFF0000 &&
                    im->green_mask == 0x00FF00 && im->blue_mask == 0x0000FF;
    const unsigned long masks[3] = {im->red_mask, im->green_mask, im->blue_mask};
    for (int c = 0; c < 3; ++c) {
        m_shift[c] = masks[c] ? std::countr_zero(masks[c]) : 0;
        m_bits[c] = std::popcount(masks[c]);
    }
}

void CX11Image::Fit(CSurface& surface, int width, int height)
{
    Release(); // the surface no longer draws into the old image
    if (width > 0 && height > 0) {
        // The image first: a lent surface then never holds pixels of its own.
        Allocate(width, height);
        if (UsesShm() && m_bDirectCopy && m_image->bytes_per_line == width * 4) {
            const std::size_t pixels = std::size_t(width) * std::size_t(height);
            surface.Lend(reinterpret_cast<std::uint32_t*>(m_image->data), pixels, width, height);
            m_pBorrower = &surface;
            return;
        }
    }
    surface.Resize(width, height);
}

void CX11Image::CopyRows(const CSurface& surface, int x, int y, int w, int h)
{
    if (m_bDirectCopy) {
        for (int row = y; row < y + h; ++row) {
            char* dst = m_image->data + std::size_t(row) * std::size_t(m_image->bytes_per_line) + std::size_t(x) * 4;
            std::memcpy(dst, surface.Row(row) + x, std::size_t(w) * 4);
        }
        return;
    }
    // Any other true-colour layout: each 8-bit channel scaled to its mask.
    for (int row = y; row < y + h; ++row) {
        const std::uint32_t* src = surface.Row(row);
        for (int col = x; col < x + w; ++col) {
            const std::uint32_t p = src[col];
            const unsigned channel[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
            unsigned long pixel = 0;
            for (int c = 0; c < 3; ++c) {
                const unsigned long top = m_bits[c] >= 32 ? 0xFFFFFFFFul : (1ul << m_bits[c]) - 1;
                pixel |= ((channel[c] * top + 127) / 255) << m_shift[c];
            }
            XPutPixel(m_image, col, row, pixel);
        }
    }
}

void CX11Image::Show(Window window, GC gc, const CSurface& surface, const RECT& rc)
{
    const int x0 = std::max<LONG>(rc.left, 0), y0 = std::max<LONG>(rc.top, 0);
    const int x1 = std::min<LONG>(rc.right, surface.Width()), y1 = std::min<LONG>(rc.bottom, surface.Height());
    if (x1 <= x0 || y1 <= y0)
        return;
    if (IsLentTo(surface)) {
        XShmPutImage(m_display.Dpy(), window, gc, m_image, x0, y0, x0, y0, unsigned(x1 - x0), unsigned(y1 - y0),
                     False);
        XSync(m_display.Dpy(), False); // the server has read it before the core draws again
        return;
    }
    if (!m_image || surface.Width() > m_width || surface.Height() > m_height)
        Allocate(std::max(surface.Width(), m_width), std::max(surface.Height(), m_height));
    CopyRows(surface, x0, y0, x1 - x0, y1 - y0);
    if (UsesShm())
        XShmPutImage(m_display.Dpy(), window, gc, m_image, x0, y0, x0, y0, unsigned(x1 - x0), unsigned(y1 - y0),
                     False);
    else
        XPutImage(m_display.Dpy(), window, gc, m_image, x0, y0, x0, y0, unsigned(x1 - x0), unsigned(y1 - y0));
}
