// StoredDocument: every field of a document as the authoring side writes
// it, including those the saver discards. Used by the pack tool and tests.
#pragma once

#include <vector>

#include "document/current_user.h"
#include "document/message_style.h"
#include "framework/cstring.h"
#include "framework/types.h"

class CArchive;

struct StoredDocument {
    CString strSource;      // path of the jigsaw file in the authoring application
    CString strTitle;
    CString strThird;
    DWORD nLeading = 41;
    DWORD nPieces = 250;
    CCurrentUser user;
    MessageStyle message;
    DWORD nSpare = 0;
    BITMAPINFOHEADER bih{};
    std::vector<BYTE> stream; // the stored JPEG stream (its length is the picture byte count)

    void Store(CArchive& ar);
};
