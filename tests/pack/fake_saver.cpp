// A stand-in for the saver in the pack tests: it reads the document
// appended to its own executable the way the saver does at start-up and
// prints what it found, or one line and status 3 when it cannot.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "document/container.h"
#include "document/jigsaw_doc.h"
#include "framework/cstring.h"
#include "framework/file.h"
#include "resources/resource.h"

// A stand-in holds the saver signature, as the saver does.
extern const char g_szSaverSignature[];
const char g_szSaverSignature[] = MOSVIK_SIGNATURE;

int main()
{
    try {
        CMemFile mem(1024);
        ReadEmbeddedDocument(std::filesystem::read_symlink("/proc/self/exe").string(), &mem);
        mem.Seek(0, CFile::begin);
        CJigsawDoc doc;
        doc.Load(&mem);
        std::printf("message: %s\npicture: %d x %d\n", cp1252::ToUtf8(doc.m_message.text.str()).c_str(),
                    int(doc.m_bih.biWidth), int(doc.m_bih.biHeight));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fake saver: %s\n", e.what());
        return 3;
    }
}
