// mosvik-pack as a process: what it writes can be found and loaded the way
// the saver does it, the stand-in saver runs with its document, and every
// failure is one line, status 2 and no file left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <turbojpeg.h>

#include "../document/doc_fixture.h"
#include "document/container.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "pack_fixture.h"
#include "framework/file.h"
#include "resources/resource.h"
#include "saver_info.h"

namespace fs = std::filesystem;
using namespace packtest;
using testdoc::ReadFile;
using testdoc::ScratchDir;
using testdoc::WriteFile;

namespace {

// What a compiler gives a new program: 0777 under the process's umask.
fs::perms NewProgramPermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return fs::perms(0777 & ~mask);
}

// A JPEG with the frame header's size replaced (the data stays small).
std::vector<BYTE> WithFrameSize(std::vector<BYTE> jpeg, BYTE frameMarker, int width, int height)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == frameMarker) {
            jpeg[i + 5] = BYTE(height >> 8);
            jpeg[i + 6] = BYTE(height);
            jpeg[i + 7] = BYTE(width >> 8);
            jpeg[i + 8] = BYTE(width);
            return jpeg;
        }
    throw std::runtime_error("no frame header");
}

class PackCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(PackTool())) << PackTool();
        fs::copy_file(FakeSaver(), dir / "saver");
    }
    RunResult Pack(std::vector<std::string> args)
    {
        if (std::find(args.begin(), args.end(), "--saver") == args.end())
            args.insert(args.end(), {"--saver", "saver"});
        return RunPack(dir.path(), args);
    }
    // Every entry with its kind and, for regular files, its bytes.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> entries;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            std::string entry = e.path().filename().string();
            if (e.is_symlink())
                entry += " -> " + fs::read_symlink(e.path()).string();
            else if (e.is_fifo())
                entry += " (FIFO)";
            else if (e.is_regular_file()) {
                const std::vector<BYTE> bytes = ReadFile(e.path());
                entry += ": " + std::string(bytes.begin(), bytes.end());
            }
            entries.push_back(entry);
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    // An error: status 2, one line naming the tool, the folder unchanged
    // to the byte.
    void ExpectFailure(const std::vector<std::string>& args, const std::string& needle)
    {
        std::string command = "mosvik-pack";
        for (const std::string& a : args)
            command += " " + a;
        SCOPED_TRACE(command);
        const std::vector<std::string> before = Files();
        const RunResult r = Pack(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("mosvik-pack: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
        EXPECT_TRUE(Files() == before) << "files changed or left behind after: " << r.err;
    }
    ScratchDir dir;
};

TEST_F(PackCli, PngRoundTripThroughTheSaversOwnLoad)
{
    const RgbImage source = Gradient(256, 192);
    WritePng(dir / "pic.png", source);
    const RunResult r = Pack({"pic.png", "-o", "out", "--message", "Grüße – “ok”", "--font", "Verdana", "--color",
                              "#102030", "--bold", "--italic"});
    ASSERT_EQ(r.status, 0) << r.err;

    CMemFile mem(1024);
    ReadEmbeddedDocument((dir / "out").string(), &mem);
    mem.Seek(0, CFile::begin);
    CJigsawDoc doc;
    doc.Load(&mem);
    EXPECT_EQ(doc.m_message.text.str(), "Gr\xFC\xDF" "e \x96 \x93ok\x94");
    EXPECT_EQ(doc.m_message.face.str(), "Verdana");
    EXPECT_EQ(doc.m_message.colour, RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(doc.m_message.bold, 1u);
    EXPECT_EQ(doc.m_message.italic, 1u);
    EXPECT_EQ(doc.m_bih.biWidth, 256);
    EXPECT_EQ(doc.m_bih.biHeight, 192);
    EXPECT_EQ(doc.m_bih.biSizeImage, 768u * 192u);

    // The stored stream holds the picture upside down: its first row is
    // the picture's bottom row.
    const SaverInfo info = ReadSaverInfo(dir / "out");
    const RgbImage stored = DecodeTopDown(info.streamData);
    ASSERT_EQ(stored.width, 256);
    ASSERT_EQ(stored.height, 192);
    EXPECT_LT(RowDiff(stored, 0, source, 191), 4.0);
    EXPECT_GT(RowDiff(stored, 0, source, 0), 40.0);
    EXPECT_LT(MeanDiff(stored, FlipRows(source)), 3.0);

    // The saver's own decoder sees the same: block row k is stream row k,
    // blue-green-red.
    const std::size_t stride = PictureStride(256);
    double sum = 0;
    for (int k = 0; k < 192; ++k)
        for (int x = 0; x < 256; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(doc.m_pBits[k * stride + x * 3 + c]) - int(stored.Row(k)[x * 3 + 2 - c]));
    EXPECT_LT(sum / (192.0 * 256 * 3), 3.0);

    // The copy stays runnable and finds its document.
    const RunResult run = RunProgram(dir.path(), dir / "out", {});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("message: Grüße – “ok”"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("picture: 256 x 192"), std::string::npos) << run.out;
}

TEST_F(PackCli, InfoReportsWhatTheSaverCarries)
{
    WritePng(dir / "pic.png", Gradient(320, 240));
    ASSERT_EQ(Pack({"pic.png", "-o", "out", "--message=Hello\nZz[31m", "--color", "#a0B0c0", "--italic"}).status, 0);
    // A downloaded saver may carry anything: put an escape character into the message.
    std::vector<BYTE> bytes = ReadFile(dir / "out");
    const std::string zz = "Zz[31m";
    const auto at = std::search(bytes.begin(), bytes.end(), zz.begin(), zz.end());
    ASSERT_NE(at, bytes.end());
    *at = 0x1B;
    WriteFile(dir / "out", bytes);
    const RunResult r = RunPack(dir.path(), {"--info", "out"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"message: Hello\\n\\x1Bz[31m\n", "font face: Arial\n", "colour: #A0B0C0\n", "bold: no\n",
                             "italic: yes\n", "picture: 320 x 240\n", "stream bytes: ", "baseline JFIF, 4:2:0"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " missing from\n" << r.out;
    EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
}

TEST_F(PackCli, DefaultPictureAndMessage)
{
    const RunResult r = Pack({"-o", "out"});
    ASSERT_EQ(r.status, 0) << r.err;
    const SaverInfo info = ReadSaverInfo(dir / "out");
    EXPECT_EQ(info.bih.biWidth, 800);
    EXPECT_EQ(info.bih.biHeight, 600);
    EXPECT_EQ(info.pieces, 250u);
    EXPECT_EQ(info.message.text.str(), "Thank you for watching Mosvik");
    EXPECT_EQ(info.message.face.str(), "Arial");
    EXPECT_EQ(info.message.colour, RGB(255, 255, 0));
    EXPECT_EQ(info.source.str(), "default-picture.png");
    EXPECT_EQ(info.title.str(), "default-picture");
    const RunResult empty = Pack({"-o", "quiet", "--message", ""});
    ASSERT_EQ(empty.status, 0) << empty.err;
    EXPECT_TRUE(ReadSaverInfo(dir / "quiet").message.text.IsEmpty());

    // The face limit counts stored characters, not UTF-8 bytes.
    std::string accented;
    for (int i = 0; i < 31; ++i)
        accented += "é";
    ASSERT_EQ(Pack({"-o", "face", "--font", accented}).status, 0);
    EXPECT_EQ(ReadSaverInfo(dir / "face").message.face.GetLength(), 31);

    // A message too long to read is packed, with a warning saying so.
    const RunResult tiny = Pack({"-o", "tiny", "--message", std::string(100000, 'x')});
    EXPECT_EQ(tiny.status, 0) << tiny.err;
    EXPECT_NE(tiny.err.find("warning: on a 1024 x 768 screen the message would be drawn at about"), std::string::npos)
        << tiny.err;
}

TEST_F(PackCli, RepackingReplacesTheDocument)
{
    ASSERT_EQ(Pack({"-o", "first", "--message", "one"}).status, 0);
    const RunResult r = RunPack(dir.path(), {"-o", "second", "--message", "two", "--saver", "first"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir / "second"), fs::file_size(dir / "first"));
    EXPECT_EQ(ReadSaverInfo(dir / "second").message.text.str(), "two");
    // Packing onto the output itself replaces it in place.
    ASSERT_EQ(RunPack(dir.path(), {"-o", "second", "--message", "six", "--saver", "second"}).status, 0);
    EXPECT_EQ(ReadSaverInfo(dir / "second").message.text.str(), "six");
    EXPECT_EQ(fs::file_size(dir / "second"), fs::file_size(dir / "first"));
}

TEST_F(PackCli, WindowsSaverIsCopiedAsBytes)
{
    std::vector<BYTE> scr = {'M', 'Z', 0x90, 0x00};
    scr.resize(0x40, 0);
    scr[0x3C] = 0x40; // PE header right after the stub
    for (char c : std::string("PE\0\0", 4) + MOSVIK_SIGNATURE)
        scr.push_back(BYTE(c));
    scr.resize(4096, 0xCC);
    WriteFile(dir / "mosvik.scr", scr);
    fs::permissions(dir / "mosvik.scr", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const RunResult r = RunPack(dir.path(), {"-o", "My Saver.scr", "--saver", "mosvik.scr"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<BYTE> out = ReadFile(dir / "My Saver.scr");
    ASSERT_GT(out.size(), scr.size());
    EXPECT_TRUE(std::equal(scr.begin(), scr.end(), out.begin()));
    EXPECT_EQ(fs::status(dir / "My Saver.scr").permissions(), NewProgramPermissions());
    EXPECT_EQ(ReadSaverInfo(dir / "My Saver.scr").bih.biWidth, 800);
}

TEST_F(PackCli, OutputIsANewProgramUnderTheUmask)
{
    fs::permissions(dir / "saver", fs::perms::all); // the saver's own bits do not carry over
    ASSERT_EQ(Pack({"-o", "out"}).status, 0);
    EXPECT_EQ(fs::status(dir / "out").permissions(), NewProgramPermissions());
    EXPECT_NE(NewProgramPermissions() & fs::perms::owner_exec, fs::perms::none);
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
    // Outputs that are not ours to replace, and a picture that would be lost.
    std::ofstream(dir / "keep") << "old";
    fs::create_hard_link(dir / "pic.png", dir / "same.png");
    fs::create_symlink("keep", dir / "link");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    // Pictures that cannot be read whole, or would need too much memory.
    const std::vector<BYTE> jpeg = EncodeJpeg(Gradient(256, 256), TJSAMP_420);
    WriteFile(dir / "cut.jpg", std::vector<BYTE>(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(jpeg.size() / 2)));
    std::vector<BYTE> corrupt = jpeg;
    corrupt[corrupt.size() / 2] = 0xFF; // a restart marker where the stream has none
    corrupt[corrupt.size() / 2 + 1] = 0xD3;
    WriteFile(dir / "corrupt.jpg", corrupt);
    const std::vector<BYTE> small = EncodeJpeg(Gradient(64, 64), TJSAMP_420, TJFLAG_PROGRESSIVE);
    WriteFile(dir / "huge-progressive.jpg", WithFrameSize(small, 0xC2, 30000, 30000));
    WriteFile(dir / "huge.jpg", WithFrameSize(EncodeJpeg(Gradient(64, 64), TJSAMP_420), 0xC0, 16384, 16384));
    WritePng(dir / "strip.png", Gradient(3, 500));
    WritePng(dir / "narrow.png", Gradient(20, 300));

    struct Row {
        std::vector<std::string> args;
        const char* needle;
    };
    const Row rows[] = {
        {{"missing.png", "-o", "out"}, "picture not found"},
        {{"notes.txt", "-o", "out"}, "unsupported picture format"},
        {{"broken.png", "-o", "out"}, "PNG"},
        {{"broken.jpg", "-o", "out"}, "JPEG"},
        {{"cut.jpg", "-o", "out"}, "cut.jpg: damaged JPEG, it cannot be read whole"},
        {{"corrupt.jpg", "-o", "out"}, "corrupt.jpg: damaged JPEG, it cannot be read whole"},
        {{"huge-progressive.jpg", "-o", "out"}, "MiB of decoder memory, more than the limit of 256 MiB"},
        {{"huge.jpg", "-o", "out", "--max-side", "16384"}, "more than the limit of 67108864 (use a smaller --max-side)"},
        {{"strip.png", "-o", "out"}, "narrower than 1:16"},
        {{"narrow.png", "-o", "out", "--max-side", "100"}, "a side is below 16 pixels"},
        {{"pic.png", "-o", "out", "--color", "#GG0000"}, "bad colour"},
        {{"pic.png", "-o", "out", "--color", "#12345"}, "bad colour"},
        {{"pic.png", "-o", "out", "--message", "日本"}, "U+65E5"},
        {{"pic.png", "-o", "out", "--message", "\xC0\xAF"}, "not valid UTF-8"},         // overlong '/'
        {{"pic.png", "-o", "out", "--message", "\xED\xA0\x80"}, "not valid UTF-8"},     // surrogate
        {{"pic.png", "-o", "out", "--message", "\xF4\x90\x80\x80"}, "not valid UTF-8"}, // past U+10FFFF
        {{"pic.png", "-o", "out", "--message", "\x1B[2Jgone"}, "control character U+001B"},
        {{"pic.png", "-o", "out", "--message", "a\tb"}, "control character U+0009"},
        {{"pic.png", "-o", "out", "--font", "Ari\nal"}, "control character U+000A"},
        {{"pic.png", "-o", "out", "--font", std::string(32, 'F')}, "longer than 31"},
        {{"pic.png", "-o", "out", "--max-side", "0"}, "largest side"},
        {{"pic.png", "-o", "out", "--message", "say " + ContainerMarker()}, "marks where"},
        {{"pic.png", "-o", "no/such/folder/out"}, "cannot create"},
        {{"pic.png", "-o", "out", "--frobnicate"}, "unknown option"},
        {{"pic.png"}, "no output"},
        {{"pic.png", "-o", "out", "-o", "other"}, "more than one output"},
        {{"pic.png", "-o", "pic.png"}, "is the input picture"},
        {{"pic.png", "-o", "./same.png"}, "is the input picture"},
        {{"pic.png", "-o", "link"}, "is a symbolic link"},
        {{"pic.png", "-o", "fifo"}, "is a FIFO"},
        {{"pic.png", "-o", "keep", "--message", "日本"}, "cannot be stored"},
        {{"pic.png", "-o", "out", "--saver", "nothere"}, "saver executable not found"},
        {{"pic.png", "-o", "out", "--saver", "notes.txt"}, "not a Mosvik saver program"},
        {{"pic.png", "-o", "out", "--saver", "cut.jpg"}, "not a Mosvik saver program"},
        {{"pic.png", "-o", "out", "--saver", PackTool().string()}, "not a Mosvik saver program"},
    };
    for (const Row& row : rows)
        ExpectFailure(row.args, row.needle);
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

    r = RunPack(dir.path(), {"--info", "."});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("saver is a directory: ."), std::string::npos) << r.err;
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
