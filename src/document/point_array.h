// CPointArray: the growable array of points (two signed 32-bit integers)
// that lattices, edge control polygons and outlines are built from, with
// the framework's growth rule and its stored form (count, then x/y pairs).
#pragma once

#include <cstddef>
#include <memory>

#include "framework/object.h"
#include "framework/types.h"

class CPointArray : public CObject {
public:
    CPointArray() = default;
    CPointArray(const CPointArray& other);
    CPointArray& operator=(const CPointArray& other);
    ~CPointArray() override = default;

    int GetSize() const { return m_nSize; }
    int GetUpperBound() const { return m_nSize - 1; }
    int GetCapacity() const { return m_nMaxSize; }
    void SetSize(int nNewSize, int nGrowBy = -1);
    void RemoveAll() { SetSize(0); }
    POINT& operator[](int i) { return m_pData[i]; }
    const POINT& operator[](int i) const { return m_pData[i]; }
    POINT GetAt(int i) const { return m_pData[i]; }
    void SetAt(int i, POINT pt) { m_pData[i] = pt; }
    void SetAtGrow(int i, POINT pt);
    int Add(POINT pt);
    void InsertAt(int i, POINT pt, int nCount = 1);
    const POINT* GetData() const { return m_pData.get(); }
    POINT* GetData() { return m_pData.get(); }

    void Serialize(CArchive& ar) override;

private:
    std::unique_ptr<POINT[]> m_pData;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0; // 0: automatic step
};
