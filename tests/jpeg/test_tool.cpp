// velt-decode as a process: PPM/PGM output, "Jpeg error" and status 1 on a
// refused or failing stream with nothing written, --partial keeping the
// rows decoded before a failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

#include "stream_builder.h"

namespace fs = std::filesystem;
using namespace jt;

namespace {

fs::path Dir()
{
    static fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("velt-tool-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void Write(const fs::path& p, const Bytes& b)
{
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes Read(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

int RunTool(const std::string& args, std::string* err = nullptr)
{
    fs::path errFile = Dir() / "stderr.txt";
    std::string command = std::string(VELT_DECODE) + " " + args + " 2> '" + errFile.string() + "'";
    int status = std::system(command.c_str());
    if (err) {
        Bytes e = Read(errFile);
        err->assign(e.begin(), e.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Bytes Stream(int width, int height, bool colour)
{
    std::mt19937 rng(11);
    std::vector<Frame> comps = colour ? std::vector<Frame>{{1, 2, 1, 0}, {2, 1, 1, 0}, {3, 1, 1, 0}}
                                      : std::vector<Frame>{{1, 1, 1, 0}};
    const int mw = colour ? 16 : 8;
    const int mcus = ((width + mw - 1) / mw) * ((height + 7) / 8);
    BitWriter bw;
    HuffEncoder dc(SimpleDc()), ac(SimpleAc());
    int pred[3] = {};
    for (int m = 0; m < mcus; ++m)
        for (int b = 0; b < (colour ? 4 : 1); ++b) {
            std::int16_t block[64] = {};
            block[0] = std::int16_t(int(rng() % 30) - 15);
            block[rng() % 64] = std::int16_t(int(rng() % 9) - 4);
            EncodeBlock(bw, dc, ac, pred[b < 2 ? 0 : b - 1], block);
        }
    bw.Flush();
    Writer w = Writer::Standard(width, height, comps, 4);
    std::vector<std::pair<int, int>> scan;
    for (const Frame& f : comps)
        scan.push_back({f.id, 0});
    return w.Sos(scan).Data(bw.bytes).Eoi().bytes;
}

} // namespace

TEST(VeltDecodeTool, WritesPpmAndPgm)
{
    for (bool colour : {true, false}) {
        Bytes s = Stream(37, 21, colour);
        Write(Dir() / "in.jpg", s);
        fs::path out = Dir() / (colour ? "out.ppm" : "out.pgm");
        ASSERT_EQ(RunTool("'" + (Dir() / "in.jpg").string() + "' '" + out.string() + "'"), 0);
        Decoded d = DecodeAll(s);
        std::string header = colour ? "P6\n37 21\n255\n" : "P5\n37 21\n255\n";
        Bytes expected(header.begin(), header.end());
        expected.insert(expected.end(), d.pixels.begin(), d.pixels.end());
        EXPECT_EQ(Read(out), expected);
    }
}

TEST(VeltDecodeTool, FailuresWriteNothingUnlessPartial)
{
    Write(Dir() / "bad.jpg", {0x00, 0x01, 0x02});
    fs::path out = Dir() / "bad.ppm";
    std::string err;
    EXPECT_EQ(RunTool("'" + (Dir() / "bad.jpg").string() + "' '" + out.string() + "'", &err), 1);
    EXPECT_EQ(err, "Jpeg error\n");
    EXPECT_FALSE(fs::exists(out));

    Bytes s = Stream(16, 256, true);
    Bytes cut(s.begin(), s.end() - 150); // inside the entropy-coded data
    Write(Dir() / "cut.jpg", cut);
    fs::path whole = Dir() / "cut.ppm";
    EXPECT_EQ(RunTool("'" + (Dir() / "cut.jpg").string() + "' '" + whole.string() + "'", &err), 1);
    EXPECT_EQ(err, "Jpeg error\n");
    EXPECT_FALSE(fs::exists(whole));

    fs::path partial = Dir() / "partial.ppm";
    EXPECT_EQ(RunTool("--partial '" + (Dir() / "cut.jpg").string() + "' '" + partial.string() + "'"), 1);
    Bytes p = Read(partial);
    Decoded full = DecodeAll(s);
    const std::size_t headerSize = std::string("P6\n16 256\n255\n").size();
    ASSERT_EQ(p.size(), headerSize + full.pixels.size());
    EXPECT_TRUE(std::equal(full.pixels.begin(), full.pixels.begin() + 16 * 3 * 8, p.begin() + std::ptrdiff_t(headerSize)));
    EXPECT_EQ(p.back(), 0xFF);
    fs::remove_all(Dir());
}
