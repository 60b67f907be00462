// Growth of the edge array follows the point array's rule; elements are
// whole point arrays, moved into the larger block when it grows.
#include "board/edge_array.h"

#include <algorithm>
#include <utility>

void CEdgeArray::SetSize(int nNewSize, int nGrowBy)
{
    if (nGrowBy != -1)
        m_nGrowBy = nGrowBy;
    if (nNewSize <= 0) {
        m_pData.reset();
        m_nSize = m_nMaxSize = 0;
    } else if (!m_pData) {
        m_pData = std::make_unique<CPointArray[]>(std::size_t(nNewSize));
        m_nSize = m_nMaxSize = nNewSize;
    } else if (nNewSize <= m_nMaxSize) {
        // Elements leaving the used range are emptied, as if destroyed.
        for (int i = nNewSize; i < m_nSize; ++i)
            m_pData[i].RemoveAll();
        m_nSize = nNewSize;
    } else {
        int step = m_nGrowBy ? m_nGrowBy : std::clamp(m_nSize / 8, 4, 1024);
        int newMax = std::max(m_nMaxSize + step, nNewSize);
        auto data = std::make_unique<CPointArray[]>(std::size_t(newMax));
        for (int i = 0; i < m_nSize; ++i)
            data[i] = m_pData[i];
        m_pData = std::move(data);
        m_nSize = nNewSize;
        m_nMaxSize = newMax;
    }
}
