// The folder source's parts: the order of a folder's pictures (rounds,
// their joins, several monitors), the walk over a folder as people fill
// them, careful opening, every format coming upright with its date, and a
// large PNG prepared within its memory budget.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "disk_pictures/folder_walk.h"
#include "disk_pictures/picture_queue.h"
#include "picture_files.h"
#include "picture_input.h"
#include "picture_load.h"
#include "picture_prepare.h"

namespace fs = std::filesystem;
using namespace pictest;

namespace {

std::vector<fs::path> Names(int count)
{
    std::vector<fs::path> names;
    for (int i = 0; i < count; ++i)
        names.push_back("p" + std::to_string(i));
    return names;
}

// What each of `shows` shows takes in `cycles` cycles from a folder of
// `count` names, listing it again whenever its part of a round is used up.
std::vector<std::vector<fs::path>> Walk(int count, int shows, int cycles, std::uint64_t seed)
{
    std::vector<std::vector<fs::path>> seen(static_cast<std::size_t>(shows));
    for (int k = 0; k < shows; ++k) {
        CPictureQueue queue(PictureOrder{seed, k, shows});
        for (int c = 0; c < cycles; ++c) {
            std::optional<fs::path> next;
            while (!(next = queue.Next()))
                queue.StartRound(Names(count));
            seen[std::size_t(k)].push_back(*next);
        }
    }
    return seen;
}

TEST(PictureQueue, EveryRoundShowsEachPictureOnceAndMonitorsNeverShowTheSame)
{
    struct Case {
        int count, shows;
    };
    for (const Case c : {Case{2, 1}, Case{3, 1}, Case{10, 1}, Case{4, 2}, Case{10, 2}, Case{9, 3}, Case{12, 4}}) {
        const int perRound = c.count / c.shows; // the cases' counts are whole multiples
        const auto seen = Walk(c.count, c.shows, perRound * 6, 77);
        for (int k = 0; k < c.shows; ++k) {
            const auto& mine = seen[std::size_t(k)];
            for (std::size_t i = 1; i < mine.size(); ++i)
                EXPECT_NE(mine[i], mine[i - 1]) << c.count << "/" << c.shows << ": show " << k << " repeats at " << i;
        }
        for (std::size_t cycle = 0; cycle < seen[0].size(); ++cycle) {
            std::set<fs::path> together;
            for (const auto& mine : seen)
                together.insert(mine[cycle]);
            EXPECT_EQ(together.size(), std::size_t(c.shows)) << c.count << "/" << c.shows << " at cycle " << cycle;
        }
        for (std::size_t round = 0; round < 6; ++round) {
            std::multiset<fs::path> shown;
            for (const auto& mine : seen)
                shown.insert(mine.begin() + std::ptrdiff_t(round) * perRound,
                             mine.begin() + std::ptrdiff_t(round + 1) * perRound);
            const std::vector<fs::path> all = Names(c.count);
            EXPECT_EQ(shown, std::multiset<fs::path>(all.begin(), all.end())) << c.count << "/" << c.shows;
        }
    }
    // One seed, one order; another seed, another.
    EXPECT_EQ(Walk(10, 1, 30, 5), Walk(10, 1, 30, 5));
    EXPECT_NE(Walk(10, 1, 30, 5), Walk(10, 1, 30, 6));
    // Fewer pictures than monitors: each still gets pictures.
    EXPECT_EQ(Walk(1, 2, 3, 1)[1], std::vector<fs::path>(3, "p0"));
}

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("mosvik-folder-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void Touch(const fs::path& rel, const std::string& text = "x")
    {
        fs::create_directories((m_dir / rel).parent_path());
        std::ofstream(m_dir / rel) << text;
    }
    fs::path m_dir;
};

TEST_F(FolderTest, WalkTakesSubfoldersOnceAndPassesOverWhatIsNoFile)
{
    Touch("top.jpg");
    Touch("2023/summer/beach.jpg");
    Touch("2023/winter.png");
    Touch(".hidden.jpg");
    Touch(".thumbnails/t.jpg");
    ASSERT_EQ(::mkfifo((m_dir / "fifo.jpg").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_dir / "zero.jpg");
    fs::create_symlink("self.jpg", m_dir / "self.jpg");
    fs::create_symlink("nowhere.jpg", m_dir / "broken.jpg");
    fs::create_symlink("..", m_dir / "2023" / "up");             // a loop
    fs::create_directory_symlink(m_dir / "2023", m_dir / "again"); // the same folder twice
    fs::create_symlink(m_dir / "top.jpg", m_dir / "2023" / "linked.jpg");

    const FolderListing all = ListFolder(m_dir, true);
    std::set<std::string> files;
    for (const fs::path& f : all.files)
        files.insert(f.lexically_relative(m_dir).string());
    // 2023 is walked once, through whichever name came first.
    const std::string via = files.count("2023/winter.png") ? "2023/" : "again/";
    EXPECT_EQ(files, (std::set<std::string>{"top.jpg", via + "summer/beach.jpg", via + "winter.png", via + "linked.jpg"}));
    std::map<std::string, std::string> skipped;
    for (const auto& [path, why] : all.skipped)
        skipped[path.filename().string()] = why;
    EXPECT_EQ(skipped, (std::map<std::string, std::string>{{"fifo.jpg", "a FIFO"},
                                                           {"zero.jpg", "a device"},
                                                           {"self.jpg", "a link in a circle"},
                                                           {"broken.jpg", "a link that leads nowhere"}}));
    EXPECT_FALSE(all.full);

    const FolderListing top = ListFolder(m_dir, false);
    ASSERT_EQ(top.files.size(), 1u);
    EXPECT_EQ(top.files[0].filename(), "top.jpg");
}

TEST_F(FolderTest, OnlyRegularFilesAreOpenedAndShortReadsFail)
{
    ASSERT_EQ(::mkfifo((m_dir / "fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_dir / "zero.png");
    fs::create_symlink(m_dir / "fifo.png", m_dir / "to-fifo.png");
    Touch("gone.png");
    const FolderListing listing = ListFolder(m_dir, true);
    fs::remove(m_dir / "gone.png"); // deleted after it was listed
    struct Row {
        const char* name;
        const char* says;
    };
    for (const Row& row : {Row{"fifo.png", "is a FIFO"}, Row{"zero.png", "is a device"},
                           Row{"to-fifo.png", "is a FIFO"}, Row{"gone.png", "No such file"}}) {
        try {
            CPictureInput in(m_dir / row.name); // a FIFO opened for reading would block here
            ADD_FAILURE() << row.name << " was opened";
        } catch (const PictureError& e) {
            EXPECT_NE(std::string(e.what()).find(row.says), std::string::npos) << e.what();
        }
    }

    Touch("shrinks.png", std::string(1000, 'x'));
    CPictureInput in(m_dir / "shrinks.png");
    fs::resize_file(m_dir / "shrinks.png", 10);
    EXPECT_THROW(in.ReadAll(1 << 20), PictureError);
    CPictureInput small(m_dir / "shrinks.png");
    EXPECT_THROW(small.ReadAll(5), PictureError); // beyond the limit
}

TEST_F(FolderTest, EveryFormatComesUprightWithTheDateItWasTaken)
{
    const RgbImage stored = TurnedAnticlockwise(Quadrants(320, 240));
    const std::vector<unsigned char> exif = ExifBlock(6, "2021:07:04 10:30:00");
    for (Format format : {Format::png, Format::jpeg, Format::webp, Format::heic, Format::avif}) {
        const fs::path file = m_dir / (std::string("turned") + Extension(format));
        if (!WritePicture(file, format, stored, exif)) {
            std::printf("no %s encoder in this libheif: not checked\n", Extension(format));
            continue;
        }
        std::vector<std::string> warnings;
        CPictureInput in(file);
        const LoadedPicture prepared = PreparePicture(in, 2048, DecodeLimits{kPrepareMemoryBytes}, warnings);
        EXPECT_TRUE(ShowsQuadrants(prepared.image)) << Extension(format);
        EXPECT_EQ(prepared.image.width, 320) << Extension(format);
        EXPECT_EQ(prepared.taken, "2021:07:04 10:30:00") << Extension(format);
        // The pack tool reads the same formats the same way.
        const RgbImage packed = LoadPicture(ReadPictureFile(file), 2048, warnings);
        EXPECT_TRUE(ShowsQuadrants(packed)) << Extension(format);
    }
}

TEST_F(FolderTest, PngRowsGiveThePackToolsPixels)
{
    // Opaque 8-bit pictures, large enough to be scaled: the rows read one
    // by one give the bytes of the whole-picture decode.
    const fs::path file = m_dir / "big.png";
    WritePngRows(file, 3000, 1000, [](int y, unsigned char* rgb) {
        for (int x = 0; x < 3000; ++x)
            rgb[x * 3] = static_cast<unsigned char>(x * 7 + y), rgb[x * 3 + 1] = static_cast<unsigned char>(y * 3),
                    rgb[x * 3 + 2] = static_cast<unsigned char>(x ^ y);
    });
    std::vector<std::string> warnings;
    CPictureInput in(file);
    const RgbImage rows = StreamPng(in, 2048, DecodeLimits{}).image;
    const RgbImage whole = LoadPicture(ReadPictureFile(file), 2048, warnings);
    ASSERT_EQ(rows.width, 2048);
    EXPECT_TRUE(rows.rgb == whole.rgb);
}

TEST_F(FolderTest, A48MegapixelPngIsPreparedInUnder150MB)
{
    const fs::path file = m_dir / "48mp.png";
    WritePngRows(file, 8000, 6000, [](int y, unsigned char* rgb) {
        for (int x = 0; x < 8000; ++x)
            rgb[x * 3] = static_cast<unsigned char>(x), rgb[x * 3 + 1] = static_cast<unsigned char>(y),
                    rgb[x * 3 + 2] = static_cast<unsigned char>((x * y) >> 8);
    });
    // In a child of its own, which reports its own peak on a pipe.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        long peak = -1;
        try {
            std::vector<std::string> warnings;
            CPictureInput in(file);
            const LoadedPicture p = PreparePicture(in, 2048, DecodeLimits{kPrepareMemoryBytes}, warnings);
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            if (p.image.width == 2048 && p.image.height == 1536)
                peak = usage.ru_maxrss;
        } catch (...) {
        }
        const bool written = ::write(fds[1], &peak, sizeof peak) == ssize_t(sizeof peak);
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    long peak = -1;
    const bool read = ::read(fds[0], &peak, sizeof peak) == ssize_t(sizeof peak);
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(read && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_GT(peak, 0) << "the picture was not prepared";
    std::printf("peak while preparing a 48 MP PNG: %ld MB\n", peak / 1024);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "a sanitized process keeps freed memory in quarantine: its peak says nothing";
#endif
    EXPECT_LT(peak, 150 * 1024);
}

} // namespace
