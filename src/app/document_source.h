// IDocumentSource: where a show cycle's picture and message come from when
// they are not the embedded document's alone. A backend may install one
// (the POSIX saver's pictures from the disk); the show cycle asks it once
// per cycle, after the last board is cleared and before the next is cut.
// The board and the show cycle never learn where a picture came from.
#pragma once

class CJigsawDoc;

class IDocumentSource {
public:
    virtual ~IDocumentSource() = default;
    // May replace the picture (m_bih, m_pBits) and the message (m_message)
    // of `doc`; must leave it showable. Never throws.
    virtual void NextCycle(CJigsawDoc& doc) noexcept = 0;
};
