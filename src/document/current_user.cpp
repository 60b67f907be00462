// Stream order differs from the declared order: options 1-4, 7, 8, 5, 6,
// 10, 11, the text, option 12, the span, options 14-16, two strings.
#include "document/current_user.h"

#include "framework/archive.h"

void CCurrentUser::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_nOption1 << m_nOption2 << m_nOption3 << m_nOption4 << m_nOption7 << m_nOption8 << m_nOption5
           << m_nOption6 << m_nOption10 << m_nOption11;
        ar << m_strText << m_nOption12 << m_tsSpan << m_nOption14 << m_nOption15 << m_nOption16;
        ar << m_strUser << m_strSecond;
    } else {
        ar >> m_nOption1 >> m_nOption2 >> m_nOption3 >> m_nOption4 >> m_nOption7 >> m_nOption8 >> m_nOption5 >>
            m_nOption6 >> m_nOption10 >> m_nOption11;
        ar >> m_strText >> m_nOption12 >> m_tsSpan >> m_nOption14 >> m_nOption15 >> m_nOption16;
        ar >> m_strUser >> m_strSecond;
    }
}
