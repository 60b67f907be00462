// mosvik-pack as a process: what it writes can be found and loaded the way
// the saver does it, the stand-in saver runs with its document, and every
// failure is one line, status 2 and no file left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../document/doc_fixture.h"
#include "document/container.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "pack_fixture.h"
#include "platform/file.h"
#include "saver_info.h"

namespace fs = std::filesystem;
using namespace packtest;
using testdoc::ReadFile;
using testdoc::ScratchDir;
using testdoc::WriteFile;

namespace {

class PackCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(PackTool())) << PackTool();
        fs::copy_file(FakeSaver(), dir / "saver");
    }
    RunResult Pack(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--saver", "saver"});
        return RunPack(dir.path(), args);
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // An error: status 2, one line naming the tool, the folder unchanged.
    void ExpectFailure(const std::vector<std::string>& args, const std::string& needle)
    {
        const std::vector<std::string> before = Files();
        const RunResult r = Pack(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("mosvik-pack: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
        EXPECT_EQ(Files(), before) << "files left behind after: " << r.err;
    }
    ScratchDir dir;
};

TEST_F(PackCli, PngRoundTripThroughTheSaversOwnLoad)
{
    const RgbImage source = Gradient(64, 48);
    WritePng(dir / "pic.png", source);
    const RunResult r = Pack({"pic.png", "-o", "out", "--message", "Grüße – “ok”", "--font", "Verdana", "--color",
                              "#102030", "--bold", "--italic"});
    ASSERT_EQ(r.status, 0) << r.err;

    CMemFile mem(1024);
    ReadEmbeddedDocument((dir / "out").string(), &mem);
    mem.Seek(0, CFile::begin);
    CJigsawDoc doc;
    doc.Load(&mem);
    EXPECT_EQ(doc.m_strMessage.str(), "Gr\xFC\xDF" "e \x96 \x93ok\x94");
    EXPECT_EQ(doc.m_strFontFace.str(), "Verdana");
    EXPECT_EQ(doc.m_crText, RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(doc.m_bBold, 1u);
    EXPECT_EQ(doc.m_bItalic, 1u);
    EXPECT_EQ(doc.m_nPieces, 250);
    EXPECT_EQ(doc.m_bih.biWidth, 64);
    EXPECT_EQ(doc.m_bih.biHeight, 48);
    EXPECT_EQ(doc.m_bih.biSizeImage, 192u * 48u);

    // The stored stream holds the picture upside down: its first row is
    // the picture's bottom row.
    const SaverInfo info = ReadSaverInfo(dir / "out");
    const RgbImage stored = DecodeTopDown(info.streamData);
    ASSERT_EQ(stored.width, 64);
    ASSERT_EQ(stored.height, 48);
    EXPECT_LT(RowDiff(stored, 0, source, 47), 4.0);
    EXPECT_GT(RowDiff(stored, 0, source, 0), 40.0);
    EXPECT_LT(MeanDiff(stored, FlipRows(source)), 3.0);

    // The saver's own decoder sees the same: block row k is stream row k,
    // blue-green-red.
    const std::size_t stride = PictureStride(64);
    double sum = 0;
    for (int k = 0; k < 48; ++k)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(doc.m_pBits[k * stride + x * 3 + c]) - int(stored.Row(k)[x * 3 + 2 - c]));
    EXPECT_LT(sum / (48.0 * 64 * 3), 3.0);

    // The copy stays runnable and finds its document.
    const RunResult run = RunProgram(dir.path(), dir / "out", {});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("message: Grüße – “ok”"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("picture: 64 x 48"), std::string::npos) << run.out;
}

TEST_F(PackCli, InfoReportsWhatTheSaverCarries)
{
    WritePng(dir / "pic.png", Gradient(40, 30));
    ASSERT_EQ(Pack({"pic.png", "-o", "out", "--message=Hello", "--color", "#a0B0c0", "--italic"}).status, 0);
    const RunResult r = RunPack(dir.path(), {"--info", "out"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"message: Hello\n", "font face: Arial\n", "colour: #A0B0C0\n", "bold: no\n",
                             "italic: yes\n", "picture: 40 x 30\n", "stream bytes: ", "baseline JFIF, 4:2:0"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " missing from\n" << r.out;
}

TEST_F(PackCli, DefaultPictureAndMessage)
{
    const RunResult r = Pack({"-o", "out"});
    ASSERT_EQ(r.status, 0) << r.err;
    const SaverInfo info = ReadSaverInfo(dir / "out");
    EXPECT_EQ(info.bih.biWidth, 800);
    EXPECT_EQ(info.bih.biHeight, 600);
    EXPECT_EQ(info.message.str(), "Thank you for watching Mosvik");
    EXPECT_EQ(info.face.str(), "Arial");
    EXPECT_EQ(info.color, RGB(255, 255, 0));
    EXPECT_EQ(info.source.str(), "default-picture.png");
    EXPECT_EQ(info.title.str(), "default-picture");
    const RunResult empty = Pack({"-o", "quiet", "--message", ""});
    ASSERT_EQ(empty.status, 0) << empty.err;
    EXPECT_TRUE(ReadSaverInfo(dir / "quiet").message.IsEmpty());
}

TEST_F(PackCli, RepackingReplacesTheDocument)
{
    ASSERT_EQ(Pack({"-o", "first", "--message", "one"}).status, 0);
    const RunResult r = RunPack(dir.path(), {"-o", "second", "--message", "two", "--saver", "first"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir / "second"), fs::file_size(dir / "first"));
    EXPECT_EQ(ReadSaverInfo(dir / "second").message.str(), "two");
    // Packing onto the output itself replaces it in place.
    ASSERT_EQ(RunPack(dir.path(), {"-o", "second", "--message", "six", "--saver", "second"}).status, 0);
    EXPECT_EQ(ReadSaverInfo(dir / "second").message.str(), "six");
    EXPECT_EQ(fs::file_size(dir / "second"), fs::file_size(dir / "first"));
}

TEST_F(PackCli, WindowsSaverIsCopiedAsBytes)
{
    std::vector<BYTE> scr = {'M', 'Z', 0x90, 0x00};
    scr.resize(4096, 0xCC);
    WriteFile(dir / "mosvik.scr", scr);
    fs::permissions(dir / "mosvik.scr", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const RunResult r = RunPack(dir.path(), {"-o", "My Saver.scr", "--saver", "mosvik.scr"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<BYTE> out = ReadFile(dir / "My Saver.scr");
    ASSERT_GT(out.size(), scr.size());
    EXPECT_TRUE(std::equal(scr.begin(), scr.end(), out.begin()));
    EXPECT_EQ(fs::status(dir / "My Saver.scr").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadSaverInfo(dir / "My Saver.scr").bih.biWidth, 800);
}

TEST_F(PackCli, RunBitIsKept)
{
    ASSERT_EQ(Pack({"-o", "out"}).status, 0);
    const auto perms = fs::status(dir / "out").permissions();
    EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(perms, fs::status(dir / "saver").permissions() | fs::perms::owner_write);
}

TEST_F(PackCli, FailuresAreOneLineStatusTwoAndLeaveNothing)
{
    WritePng(dir / "pic.png", Gradient(16, 16));
    {
        std::ofstream(dir / "notes.txt") << "not a picture\n";
        std::ofstream bad(dir / "broken.png", std::ios::binary);
        bad << "\x89PNG\r\n\x1a\n" << std::string(40, 'x');
        std::ofstream badJpeg(dir / "broken.jpg", std::ios::binary);
        badJpeg << "\xFF\xD8\xFF\xE0" << std::string(10, 'x');
    }
    ExpectFailure({"missing.png", "-o", "out"}, "picture not found");
    ExpectFailure({"notes.txt", "-o", "out"}, "unsupported picture format");
    ExpectFailure({"broken.png", "-o", "out"}, "PNG");
    ExpectFailure({"broken.jpg", "-o", "out"}, "JPEG");
    ExpectFailure({"pic.png", "-o", "out", "--color", "#GG0000"}, "bad colour");
    ExpectFailure({"pic.png", "-o", "out", "--color", "#12345"}, "bad colour");
    ExpectFailure({"pic.png", "-o", "out", "--message", "日本"}, "U+65E5");
    ExpectFailure({"pic.png", "-o", "out", "--font", std::string(32, 'F')}, "longer than 31");
    ExpectFailure({"pic.png", "-o", "out", "--max-side", "0"}, "largest side");
    ExpectFailure({"pic.png", "-o", "out", "--message", "say " + ContainerMarker()}, "marks where");
    ExpectFailure({"pic.png", "-o", "no/such/folder/out"}, "cannot create");
    ExpectFailure({"pic.png", "-o", "out", "--frobnicate"}, "unknown option");
    ExpectFailure({"pic.png"}, "no output");
    const RunResult noSaver = RunPack(dir.path(), {"pic.png", "-o", "out", "--saver", "nothere"});
    EXPECT_EQ(noSaver.status, 2);
    EXPECT_NE(noSaver.err.find("saver executable not found"), std::string::npos) << noSaver.err;

    // A failed pack leaves an existing output as it was.
    std::ofstream(dir / "keep") << "old";
    ExpectFailure({"pic.png", "-o", "keep", "--message", "日本"}, "cannot be stored");
    EXPECT_EQ(ReadFile(dir / "keep"), std::vector<BYTE>({'o', 'l', 'd'}));
}

TEST_F(PackCli, InfoFailures)
{
    RunResult r = RunPack(dir.path(), {"--info", "saver"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no document in saver"), std::string::npos) << r.err;

    ASSERT_EQ(Pack({"-o", "out"}).status, 0);
    std::vector<BYTE> bytes = ReadFile(dir / "out");
    bytes.resize(bytes.size() - 100);
    WriteFile(dir / "cut", bytes);
    r = RunPack(dir.path(), {"--info", "cut"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("damaged document in cut"), std::string::npos) << r.err;

    r = RunPack(dir.path(), {"--info", "nothere"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not found"), std::string::npos) << r.err;
}

TEST_F(PackCli, RealSaverRunsWithItsDocument)
{
    const fs::path saver = fs::path(MOSVIK_BINARY_DIR) / "mosvik";
    if (!fs::exists(saver))
        GTEST_SKIP() << saver << " is not built in this build folder";
    const RunResult r = RunPack(dir.path(), {"-o", "mine", "--saver", saver.string(), "--max-side", "200"});
    ASSERT_EQ(r.status, 0) << r.err;
    // One show cycle and more on a small virtual display, in virtual time.
    const RunResult run = RunProgram(dir.path(), dir / "mine", {"--headless=160x120", "--stop-after=40", "/s"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

TEST_F(PackCli, HelpAndVersion)
{
    RunResult r = RunPack(dir.path(), {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "mosvik-pack 1.0.0\n");
    r = RunPack(dir.path(), {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: mosvik-pack"), std::string::npos);
}

} // namespace
