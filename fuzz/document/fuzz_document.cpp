// Fuzzes CJigsawDoc::Load over a memory file holding the input: the archive
// primitives, the user record, the header checks and the picture decoder.
// A damaged document may only end in CArchiveException or CFileException;
// anything else (another exception, a crash, a sanitizer report) is a find.
#include <cstddef>
#include <cstdint>

#include "document/jigsaw_doc.h"
#include "framework/exceptions.h"
#include "framework/file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CMemFile file(data, size);
    CJigsawDoc doc;
    try {
        doc.Load(&file);
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return 0;
}
