// The shuffle is Fisher-Yates driven by SplitMix64, written out here so
// that every build and every show of a run draws the same order from one
// seed (the standard distributions may differ between libraries).
#include "disk_pictures/picture_queue.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// SplitMix64: a small generator whose every seed, 0 included, is good.
class CSplitMix {
public:
    explicit CSplitMix(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // 0 .. bound - 1 (bound > 0), unbiased: draws below 2^64 mod bound
    // are drawn again.
    std::size_t Below(std::size_t bound)
    {
        const std::uint64_t b = bound, skip = (0 - b) % b;
        for (;;)
            if (const std::uint64_t r = Next(); r >= skip)
                return std::size_t(r % b);
    }

private:
    std::uint64_t m_state;
};

} // namespace

std::vector<fs::path> ShuffleRound(std::vector<fs::path> names, std::uint64_t seed, std::uint64_t round, int shows,
                                   const std::vector<fs::path>& previous)
{
    std::sort(names.begin(), names.end()); // listing order differs between file systems
    CSplitMix random(seed ^ (round * 0xD1B54A32D192ED03u));
    for (std::size_t i = names.size(); i > 1; --i)
        std::swap(names[i - 1], names[random.Below(i)]);

    // Place i of this round lies (size - j) + i stream places after place j
    // of the previous one: within `shows` of it exactly when j >= size -
    // shows + i. Such a name is swapped with the first later one (from place
    // `shows` on, where nothing is near the join) that is not.
    const std::size_t n = std::size_t(std::max(shows, 1));
    auto nearJoin = [&](const fs::path& name, std::size_t place) {
        const std::size_t from = previous.size() >= n - place ? previous.size() - (n - place) : 0;
        return std::find(previous.begin() + std::ptrdiff_t(from), previous.end(), name) != previous.end();
    };
    for (std::size_t i = 0; i < n && i < names.size(); ++i) {
        if (!nearJoin(names[i], i))
            continue;
        for (std::size_t m = std::max(n, i + 1); m < names.size(); ++m)
            if (!nearJoin(names[m], i)) {
                std::swap(names[i], names[m]);
                break;
            }
    }
    return names;
}

CPictureQueue::CPictureQueue(PictureOrder order) : m_order(order)
{
    m_order.shows = std::clamp(m_order.shows, 1, PictureOrder::kMaxShows);
    m_order.show = std::clamp(m_order.show, 0, m_order.shows - 1);
    m_next = std::uint64_t(m_order.show);
}

std::optional<fs::path> CPictureQueue::Next()
{
    if (m_rounds == 0 || m_next - m_roundStart >= m_round.size())
        return std::nullopt;
    const fs::path& name = m_round[std::size_t(m_next - m_roundStart)];
    m_next += std::uint64_t(m_order.shows);
    return name;
}

void CPictureQueue::StartRound(std::vector<fs::path> names)
{
    std::vector<fs::path> order = ShuffleRound(std::move(names), m_order.seed, m_rounds, m_order.shows, m_round);
    if (m_rounds > 0)
        m_roundStart += m_round.size();
    m_round = std::move(order);
    ++m_rounds;
}
