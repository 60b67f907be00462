// Writes a document field by field in stream order.
#include "document/stored_document.h"

#include "framework/archive.h"

void StoredDocument::Store(CArchive& ar)
{
    ar << strSource << strTitle << strThird;
    ar << nLeading << nPieces << DWORD(stream.size());
    user.Serialize(ar);
    ar << message << nSpare;
    ar.Write(&bih, sizeof bih);
    ar.Write(stream.data(), stream.size());
}
