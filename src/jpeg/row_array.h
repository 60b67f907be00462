// RowArray: one memory block divided into equal rows, addressed through a
// table of at most 32 row pointers. Used for the output rows (bytes) and the
// upsampling maps (32-bit indexes). Allocated once; a second allocation or
// more than 32 rows is a stream fault.
#pragma once

#include <cstddef>
#include <memory>

#include "jpeg/source.h"

namespace Velt {

template <typename T>
class RowArray {
public:
    static constexpr int kMaxRows = 32;

    // slack: spare elements after the last row for vector stores that overrun.
    void Allocate(int rowCount, std::size_t rowLength, std::size_t slack = 0)
    {
        if (block_ || rowCount < 0 || rowCount > kMaxRows)
            throw Error();
        block_ = std::make_unique<T[]>(std::size_t(rowCount) * rowLength + slack);
        for (int r = 0; r < rowCount; ++r)
            rows_[r] = block_.get() + std::size_t(r) * rowLength;
        rowCount_ = rowCount;
        rowLength_ = rowLength;
    }

    T* operator[](int row) const { return rows_[row]; }
    int RowCount() const { return rowCount_; }
    std::size_t RowLength() const { return rowLength_; }
    bool Allocated() const { return block_ != nullptr; }

private:
    std::unique_ptr<T[]> block_;
    T* rows_[kMaxRows] = {};
    int rowCount_ = 0;
    std::size_t rowLength_ = 0;
};

} // namespace Velt
