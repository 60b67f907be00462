// CCurrentUser: the authoring application's user record, nested in the
// document as bare fields. The saver reads past it field by field; the
// pack tool writes a default one.
#pragma once

#include "framework/cstring.h"
#include "framework/object.h"
#include "framework/types.h"

class CCurrentUser : public CObject {
public:
    CCurrentUser() = default;
    void Serialize(CArchive& ar) override; // loads or stores in stream order

    DWORD m_nOption1 = 1;
    DWORD m_nOption2 = 1;
    DWORD m_nOption3 = 1;
    DWORD m_nOption4 = 1;
    DWORD m_nOption5 = 0;
    DWORD m_nOption6 = 0;
    DWORD m_nOption7 = 1;
    DWORD m_nOption8 = 1;
    DWORD m_nOption9 = 0; // not stored
    DWORD m_nOption10 = 0;
    DWORD m_nOption11 = 0;
    CString m_strText;
    LONG m_nOption12 = -1;
    DWORD m_nOption13 = 1; // not stored
    LONG m_tsSpan = 300;   // time span in seconds
    DWORD m_nOption14 = 0;
    DWORD m_nOption15 = 0;
    DWORD m_nOption16 = 0;
    CString m_strUser;
    CString m_strSecond;
};
