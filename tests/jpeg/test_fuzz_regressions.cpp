// Replays the fuzz regression inputs and the seed corpus through both fuzz
// bodies: each must end in a decoded picture or a Velt::Error.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "harness.h"

namespace fs = std::filesystem;

TEST(VeltFuzzRegressions, ReplayEveryStoredInput)
{
    int replayed = 0;
    for (const char* dir : {VELT_REGRESSIONS, VELT_REGRESSIONS "/../corpus"}) {
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
            SCOPED_TRACE(entry.path().string());
            EXPECT_NO_THROW(velt_fuzz::RunDecoder(bytes.data(), bytes.size()));
            EXPECT_NO_THROW(velt_fuzz::RunPicture(bytes.data(), bytes.size()));
            ++replayed;
        }
    }
    RecordProperty("replayed", replayed);
}
