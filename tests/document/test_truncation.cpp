// Damaged documents: every prefix of a valid document, and the inputs kept
// from fuzzing, must end in a clean archive or file exception (or load),
// never in a crash or any other failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "doc_fixture.h"
#include "document/jigsaw_doc.h"
#include "framework/exceptions.h"
#include "framework/file.h"

using namespace testdoc;

namespace {

enum class Outcome { loaded, archiveError, fileError };

Outcome TryLoad(const BYTE* data, std::size_t size)
{
    CMemFile file(data, size);
    CJigsawDoc doc;
    try {
        doc.Load(&file);
    } catch (const CArchiveException&) {
        return Outcome::archiveError;
    } catch (const CFileException&) {
        return Outcome::fileError;
    }
    return Outcome::loaded;
}

TEST(DocumentTruncation, EveryPrefixFailsCleanly)
{
    StoredDocument d;
    FillSample(d);
    d.user.m_strUser = "someone";
    d.message.text = CString(std::string(300, 'm')); // the three-byte prefix too
    const std::vector<BYTE> b = Serialise(d);
    ASSERT_EQ(TryLoad(b.data(), b.size()), Outcome::loaded);
    for (std::size_t n = 0; n < b.size(); ++n)
        EXPECT_NE(TryLoad(b.data(), n), Outcome::loaded) << "prefix of " << n << " bytes";
}

TEST(DocumentTruncation, KeptFuzzInputsFailCleanly)
{
    namespace fs = std::filesystem;
    int replayed = 0;
    for (const char* sub : {"regressions", "corpus"}) {
        const fs::path dir = fs::path(MOSVIK_FUZZ_DIR) / sub;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || name.starts_with(".") || name.ends_with(".md"))
                continue;
            const std::vector<BYTE> bytes = ReadFile(entry.path());
            TryLoad(bytes.data(), bytes.size()); // any other exception fails the test
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no fuzz inputs found under " << MOSVIK_FUZZ_DIR;
}

} // namespace
