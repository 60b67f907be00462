// Dequantisation and the Arai-Agui-Nakajima integer inverse DCT
// (T.81 A.3.3 defines the transform; the AAN factorisation trades exactness
// for five multiplications per row or column, each by a constant with 8
// fractional bits). The AAN scale factors are folded into the dequantisation
// table. 64 coefficients in, held column by column (tables.h), 64 samples
// (0 to 255) out, row-major.
#pragma once

#include <cstdint>

namespace Velt {

struct QuantTable {
    std::uint16_t values[64] = {}; // column by column, as the coefficients
    int precision = 8;             // 8 or 16 bits per value in the DQT segment
};

// dq[i] = q[i] * A[i]: 13 fractional bits (T.81 A.3.4 dequantisation with
// the AAN scale folded in; A is symmetric, so either layout will do).
void BuildDequantTable(const QuantTable& table, std::int32_t dq[64]);

// The transform itself is a kernel (kernels.h): Plain::InverseDct here,
// the vector versions in idct_sse2.cpp and idct_avx2.cpp.

} // namespace Velt
