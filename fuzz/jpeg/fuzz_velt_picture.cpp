// libFuzzer target: DecodePicture with a header taken from the first bytes.
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velt_fuzz::RunPicture(data, size);
    return 0;
}
