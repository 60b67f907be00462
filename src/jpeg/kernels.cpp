// The entry tables of the kernel versions and the choice among them. AVX2
// is taken only when the processor (and the operating system, which must
// save the wide registers) supports it; SSE2 is part of every target it is
// built for.
#include "jpeg/kernels.h"

#include <initializer_list>

namespace Velt {

namespace {

#define VELT_KERNEL_TABLE(path, ns)                                                                         \
    {                                                                                                      \
        path, ns::InverseDct, ns::ChromaTerms, ns::ApplyTerms, ns::ApplyHalfTerms, ns::InterleaveLine,    \
            ns::DoubleLine                                                                                 \
    }

constexpr Kernels kPlain = VELT_KERNEL_TABLE(Path::Plain, Plain);
#if VELT_SSE2
constexpr Kernels kSse2 = VELT_KERNEL_TABLE(Path::Sse2, Sse2);
#endif
#if VELT_AVX2
constexpr Kernels kAvx2 = VELT_KERNEL_TABLE(Path::Avx2, Avx2);

bool ProcessorRunsAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#endif

} // namespace

const Kernels* KernelsFor(Path path)
{
    switch (path) {
    case Path::Plain:
        return &kPlain;
    case Path::Sse2:
#if VELT_SSE2
        return &kSse2;
#else
        return nullptr;
#endif
    case Path::Avx2:
#if VELT_AVX2
        return ProcessorRunsAvx2() ? &kAvx2 : nullptr;
#else
        return nullptr;
#endif
    }
    return nullptr;
}

const Kernels& FastestKernels()
{
    for (Path path : {Path::Avx2, Path::Sse2})
        if (const Kernels* k = KernelsFor(path))
            return *k;
    return kPlain;
}

} // namespace Velt
