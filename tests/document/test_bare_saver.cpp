// The built saver with nothing appended: its own bytes must not hold the
// marker, so the container finds no document, and start-up ends with an
// error instead of reading its own code as a document.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "doc_fixture.h"
#include "document/container.h"
#include "framework/exceptions.h"
#include "framework/file.h"

namespace {

const std::filesystem::path kSaver = std::filesystem::path(MOSVIK_BINARY_DIR) / "mosvik";

TEST(BareSaver, HoldsNoMarkerOfItsOwn)
{
    if (!std::filesystem::exists(kSaver))
        GTEST_SKIP() << kSaver << " is not built in this build folder";
    CMemFile mem(1024);
    try {
        ReadEmbeddedDocument(kSaver.string(), &mem);
        FAIL() << "the bare saver gave a document of " << mem.GetLength() << " bytes";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::generic);
        EXPECT_EQ(e.m_lOsError, -1);
    }
}

TEST(BareSaver, StartUpFailsWithOneLine)
{
    if (!std::filesystem::exists(kSaver))
        GTEST_SKIP() << kSaver << " is not built in this build folder";
    testdoc::ScratchDir dir;
    const std::filesystem::path err = dir / "stderr";
    // The virtual display keeps this independent of any desktop; start-up
    // reads the document before it opens a window. The timeout guards a hang.
    const std::string cmd =
        "timeout 20 '" + kSaver.string() + "' --headless=64x48 /s > /dev/null 2> '" + err.string() + "'";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(WEXITSTATUS(status), 124) << "the bare saver did not end";
    const std::vector<BYTE> text = testdoc::ReadFile(err);
    ASSERT_FALSE(text.empty());
    const std::string message(text.begin(), text.end());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << message;
    EXPECT_NE(message.find("file error"), std::string::npos) << message;
}

} // namespace
