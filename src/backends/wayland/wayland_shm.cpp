// CShmBuffers: the memfd pool, its two buffers, their release and the copy
// from the window's surface.
#include "backends/wayland/wayland_shm.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "raster/surface.h"

namespace {
const wl_buffer_listener kBufferListener = {
    [](void* data, wl_buffer*) { *static_cast<bool*>(data) = false; }, // release
};

// A descriptor closed when it goes out of scope.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};
} // namespace

CShmBuffers::CShmBuffers(wl_shm* shm, int width, int height) : m_width(width), m_height(height)
{
    if (width <= 0 || height <= 0)
        throw std::length_error("empty buffer");
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    if (pixels > CSurface::kMaxPixels)
        throw std::length_error("buffer too large");
    // Both buffers in one pool: at most 2 * 512 MiB, within the pool's
    // 32-bit size.
    const std::uint64_t stride = std::uint64_t(width) * 4, bytes = pixels * 4;
    m_mapSize = std::size_t(bytes * 2);

    CFd fd(::memfd_create("mosvik-buffers", MFD_CLOEXEC));
    if (fd.Get() < 0)
        throw std::runtime_error(std::string("cannot make the buffers' memory: ") + std::strerror(errno));
    int r = 0;
    while ((r = ::ftruncate(fd.Get(), off_t(m_mapSize))) < 0 && errno == EINTR) {
    }
    if (r < 0)
        throw std::runtime_error(std::string("cannot size the buffers' memory: ") + std::strerror(errno));
    m_map = ::mmap(nullptr, m_mapSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (m_map == MAP_FAILED) {
        m_map = nullptr;
        throw std::runtime_error(std::string("cannot map the buffers' memory: ") + std::strerror(errno));
    }
    // The buffers keep the pool alive on the compositor's side.
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd.Get(), std::int32_t(m_mapSize));
    const RECT all{0, 0, width, height};
    for (int i = 0; i < 2; ++i) {
        Slot& s = m_slots[i];
        s.buffer.reset(wl_shm_pool_create_buffer(pool, std::int32_t(bytes * std::uint64_t(i)), width, height,
                                                 std::int32_t(stride), WL_SHM_FORMAT_XRGB8888));
        wl_buffer_add_listener(s.buffer.get(), &kBufferListener, &s.held);
        s.pixels = reinterpret_cast<std::uint32_t*>(static_cast<char*>(m_map) + bytes * std::uint64_t(i));
        s.stale.Add(all, all);
    }
    wl_shm_pool_destroy(pool);
}

CShmBuffers::~CShmBuffers()
{
    // A buffer the compositor still shows may go: it keeps its own mapping.
    for (Slot& s : m_slots)
        s.buffer.reset();
    if (m_map)
        ::munmap(m_map, m_mapSize);
}

void CShmBuffers::CopyRect(Slot& slot, const CSurface& surface, const RECT& rc) const
{
    const int x0 = std::max<LONG>(rc.left, 0), y0 = std::max<LONG>(rc.top, 0);
    const int x1 = std::min<LONG>({rc.right, surface.Width(), m_width});
    const int y1 = std::min<LONG>({rc.bottom, surface.Height(), m_height});
    if (x1 <= x0 || y1 <= y0)
        return;
    for (int y = y0; y < y1; ++y)
        std::memcpy(slot.pixels + std::size_t(y) * std::size_t(m_width) + std::size_t(x0), surface.Row(y) + x0,
                    std::size_t(x1 - x0) * 4);
}

wl_buffer* CShmBuffers::Fill(const CSurface& surface, const CDamage& damage)
{
    // A released buffer is the compositor's no more. Of two free ones the
    // one filled last has the least to catch up on.
    Slot* slot = nullptr;
    for (Slot& s : m_slots) {
        if (!s.held && (!slot || s.stale.Rects().size() < slot->stale.Rects().size()))
            slot = &s;
    }
    if (!slot)
        return nullptr;
    const RECT all{0, 0, m_width, m_height};
    for (const RECT& r : slot->stale.Rects())
        CopyRect(*slot, surface, r);
    for (const RECT& r : damage.Rects())
        CopyRect(*slot, surface, r);
    slot->stale.Clear();
    for (Slot& s : m_slots) {
        if (&s != slot)
            s.stale.AddAll(damage, all);
    }
    slot->held = true;
    return slot->buffer.get();
}
