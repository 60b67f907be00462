// Growth rule: exact first allocation; then the old capacity plus a step
// (m_nGrowBy, or size / 8 clamped to 4..1024), or the needed size if larger.
#include "document/point_array.h"

#include <algorithm>
#include <climits>

#include "framework/archive.h"
#include "framework/exceptions.h"

CPointArray::CPointArray(const CPointArray& other) : CObject() { *this = other; }

CPointArray& CPointArray::operator=(const CPointArray& other)
{
    if (this != &other) {
        SetSize(other.m_nSize);
        std::copy_n(other.m_pData.get(), other.m_nSize, m_pData.get());
    }
    return *this;
}

void CPointArray::SetSize(int nNewSize, int nGrowBy)
{
    if (nNewSize < 0)
        AfxThrowArchiveException(CArchiveException::generic);
    if (nGrowBy != -1)
        m_nGrowBy = nGrowBy;
    if (nNewSize == 0) {
        m_pData.reset();
        m_nSize = m_nMaxSize = 0;
    } else if (!m_pData) {
        m_pData = std::make_unique<POINT[]>(std::size_t(nNewSize));
        m_nSize = m_nMaxSize = nNewSize;
    } else if (nNewSize <= m_nMaxSize) {
        std::fill(m_pData.get() + m_nSize, m_pData.get() + std::max(m_nSize, nNewSize), POINT{});
        m_nSize = nNewSize;
    } else {
        int step = m_nGrowBy;
        if (step == 0)
            step = std::clamp(m_nSize / 8, 4, 1024);
        int newMax = m_nMaxSize > INT_MAX - step ? INT_MAX : m_nMaxSize + step;
        newMax = std::max(newMax, nNewSize);
        auto data = std::make_unique<POINT[]>(std::size_t(newMax)); // zero-filled
        std::copy_n(m_pData.get(), m_nSize, data.get());
        m_pData = std::move(data);
        m_nSize = nNewSize;
        m_nMaxSize = newMax;
    }
}

void CPointArray::SetAtGrow(int i, POINT pt)
{
    if (i >= m_nSize)
        SetSize(i + 1);
    m_pData[i] = pt;
}

int CPointArray::Add(POINT pt)
{
    int i = m_nSize;
    SetAtGrow(i, pt);
    return i;
}

void CPointArray::InsertAt(int i, POINT pt, int nCount)
{
    if (i >= m_nSize) {
        SetSize(i + nCount);
    } else {
        int old = m_nSize;
        SetSize(m_nSize + nCount);
        std::move_backward(m_pData.get() + i, m_pData.get() + old, m_pData.get() + old + nCount);
        std::fill(m_pData.get() + i, m_pData.get() + i + nCount, POINT{});
    }
    std::fill(m_pData.get() + i, m_pData.get() + i + nCount, pt);
}

void CPointArray::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(std::uint32_t(m_nSize));
        for (int i = 0; i < m_nSize; ++i)
            ar << m_pData[i].x << m_pData[i].y;
    } else {
        std::uint32_t n = ar.ReadCount();
        // Grow only as far as the stream backs the points: a count that the
        // data cannot hold ends in end-of-file, not in a huge allocation.
        SetSize(0);
        for (std::uint32_t k = 0; k < n; ++k) {
            POINT pt;
            ar >> pt.x >> pt.y;
            if (k == 0)
                SetSize(int(std::min<std::uint32_t>(n, 4096)));
            else if (int(k) >= m_nSize)
                SetSize(int(k) + 1);
            m_pData[k] = pt;
        }
    }
}
