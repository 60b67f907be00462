// libFuzzer target: CreateDecoder and every NextRow on arbitrary bytes.
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velt_fuzz::RunDecoder(data, size);
    return 0;
}
