// CEdgeArray: a growable array of whole point arrays (the four edge control
// polygons of a piece), grown by the point array's rule.
#pragma once

#include <memory>

#include "document/point_array.h"

class CEdgeArray : public CObject {
public:
    int GetSize() const { return m_nSize; }
    void SetSize(int nNewSize, int nGrowBy = -1);
    CPointArray& operator[](int i) { return m_pData[i]; }
    const CPointArray& operator[](int i) const { return m_pData[i]; }

private:
    std::unique_ptr<CPointArray[]> m_pData;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0;
};
