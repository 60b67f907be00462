// Serialises a StoredDocument through a storing CArchive into a memory file.
// The discarded leading strings come from the input file name; characters
// the code page lacks become '?' there, since the saver never shows them.
#include "document_writer.h"

#include <algorithm>

#include "document/container.h"
#include "document/stored_document.h"
#include "pack_error.h"
#include "framework/archive.h"
#include "framework/file.h"

namespace {

std::string Stem(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

std::vector<BYTE> BuildDocument(const std::string& sourceName, const MessageStyle& style, const StoredPicture& picture)
{
    StoredDocument doc;
    doc.strSource = ToStoredTextLenient(sourceName);
    doc.strTitle = ToStoredTextLenient(Stem(sourceName));
    doc.nLeading = 41;
    doc.nPieces = 250;
    doc.message = style;
    doc.bih = PictureHeader(picture.width, picture.height);
    doc.stream = picture.stream;

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        doc.Store(ar);
        ar.Close();
    }
    std::vector<BYTE> bytes(file.GetBuffer(), file.GetBuffer() + file.GetLength());

    const std::string marker = ContainerMarker();
    if (std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end()) != bytes.end())
        throw PackError("the document would contain the text \"" + marker +
                        "\", which marks where a saver's document starts; change the message, font face or picture file name");
    return bytes;
}
