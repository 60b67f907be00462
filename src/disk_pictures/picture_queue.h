// The order pictures from a folder are shown in, as a plain plan with no
// files, clocks or threads, so the source and the tests walk the same one.
//
// Every listing of the folder starts a round: its names sorted, then
// shuffled from the seed and the round's number. The rounds laid end to end
// make one stream that all the shows of a several-monitor run share (they
// are separate processes, given the same seed); show k of n takes stream
// positions k, k + n, k + 2n, ... So within a round no picture comes twice,
// and the monitors show different pictures side by side. Where a round
// joins the one before, its first n places are kept clear of the last n
// pictures shown (a new round never opens with the picture that closed the
// last one), as long as the folder holds at least 2n pictures.
// Trade-off: the shows agree only while their listings agree and their
// cycles keep pace; a folder that changes, or a show that skips many bad
// files, may bring one picture to two monitors for a cycle.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// Which order a show follows: the seed every show of a run shares, this
// show's place among them and their number.
struct PictureOrder {
    static constexpr int kMaxShows = 64;

    std::uint64_t seed = 0;
    int show = 0;
    int shows = 1;
};

// Round `round` of `names` (sorted first) for a run of `shows` shows whose
// previous round was `previous` (empty before the first): a shuffle of the
// names whose first `shows` places hold none of the last `shows` of
// `previous` within `shows` places of it, where the names allow.
std::vector<std::filesystem::path> ShuffleRound(std::vector<std::filesystem::path> names, std::uint64_t seed,
                                                std::uint64_t round, int shows,
                                                const std::vector<std::filesystem::path>& previous);

class CPictureQueue {
public:
    explicit CPictureQueue(PictureOrder order);

    // The next picture this show takes, or nothing when its part of the
    // round is used up: the folder is then listed again and StartRound called.
    std::optional<std::filesystem::path> Next();
    // Begins the next round with a new listing of the folder.
    void StartRound(std::vector<std::filesystem::path> names);
    // Rounds begun so far.
    std::uint64_t Rounds() const { return m_rounds; }
    const PictureOrder& Order() const { return m_order; } // shows clamped to 1..kMaxShows

private:
    PictureOrder m_order;
    std::vector<std::filesystem::path> m_round; // this round's shared order
    std::uint64_t m_roundStart = 0;             // stream position of m_round[0]
    std::uint64_t m_next = 0;                   // this show's next stream position
    std::uint64_t m_rounds = 0;
};
