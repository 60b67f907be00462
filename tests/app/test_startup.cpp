// Start-up through AfxWinMain: the document is loaded before anything else,
// the switch picks the mode, and every failure that leaves nothing to run
// ends with one line on stderr and its own status, without a window.
#include "app_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

#include "test_doc_helpers.h"

namespace {
class StartupTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        saver = dir / "jigsaw.scr";
        apptest::WriteSaver(saver, apptest::StoredBytes("Hello", 64, 48));
        fake.modulePath = saver.string();
        fake.foreign[reinterpret_cast<HWND>(std::intptr_t(4711))] = RECT{0, 0, 152, 112};
    }

    // Runs AfxWinMain with the command of these arguments (the switch and
    // the one after it); keeps what it printed on stderr.
    int Main(const std::vector<std::string>& args)
    {
        const SaverCommand command = SaverCommand::FromArguments(args.size() > 0 ? args[0].c_str() : nullptr,
                                                                 args.size() > 1 ? args[1].c_str() : nullptr);
        ::testing::internal::CaptureStderr();
        const int status = AfxWinMain(command);
        err = ::testing::internal::GetCapturedStderr();
        return status;
    }
    int Lines() const { return int(std::count(err.begin(), err.end(), '\n')); }

    apptest::ScratchDir dir;
    std::filesystem::path saver;
    std::string err;
};
} // namespace

TEST_F(StartupTest, MissingOrDamagedDocumentEndsWithStatusTwoAndNoWindow)
{
    fake.modulePath = (dir / "missing.scr").string();
    EXPECT_EQ(Main({"/s"}), 2);
    EXPECT_EQ(Lines(), 1);
    EXPECT_NE(err.find("missing.scr"), std::string::npos) << err;

    apptest::WriteSaver(saver, {}); // no marker at all
    fake.modulePath = saver.string();
    EXPECT_EQ(Main({"/c"}), 2);
    EXPECT_EQ(Lines(), 1);

    std::vector<BYTE> doc = apptest::StoredBytes("Hello", 64, 48);
    doc.resize(30); // ends inside the strings
    apptest::WriteSaver(saver, doc);
    EXPECT_EQ(Main({"/p", "4711"}), 2);
    EXPECT_EQ(Lines(), 1);

    EXPECT_TRUE(fake.createCalls.empty());
    EXPECT_TRUE(fake.dialogTemplates.empty());
}

TEST_F(StartupTest, AnyOtherSwitchRunsTheDialogAfterLoadingTheDocument)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"/c"}, {"/c:4711"}, {"/a"}, {"x"}, {}}) {
        fake.dialogTemplates.clear();
        GetSaverApp().m_doc.m_bih = BITMAPINFOHEADER{};
        EXPECT_EQ(Main(args), 0);
        EXPECT_EQ(fake.dialogTemplates, std::vector<UINT>{133});
        EXPECT_EQ(GetSaverApp().m_doc.m_bih.biWidth, 64);
        EXPECT_EQ(GetSaverApp().m_doc.m_message.text.str(), "Hello");
        EXPECT_EQ(GetSaverApp().m_pMainWnd, nullptr);
        EXPECT_TRUE(err.empty()) << err;
    }
    EXPECT_TRUE(fake.createCalls.empty());
    // The settings are read under the key, the executable's name and the section.
    for (const char* entry : {"Speed", "PictureFolder", "PictureSubfolders", "PictureCaption"})
        EXPECT_NE(std::find(fake.profileReads.begin(), fake.profileReads.end(),
                            std::string("Korvel Screen Savers\\jigsaw\\MOSVIK\\") + entry),
                  fake.profileReads.end())
            << entry;
    EXPECT_TRUE(fake.profileWrites.empty());
}

TEST_F(StartupTest, StoredSpeedIsKeptInsideTheDialogsRange)
{
    const std::pair<int, int> cases[] = {{100, 64}, {64, 64}, {30, 30}, {1, 1}, {0, 1}, {-5, 1}};
    for (auto [stored, used] : cases) {
        fake.profile["MOSVIK\\Speed"] = stored;
        Main({"/c"});
        EXPECT_EQ(GetSaverApp().m_nSpeed, used) << stored;
    }
    fake.profile.clear();
    Main({"/c"});
    EXPECT_EQ(GetSaverApp().m_nSpeed, 8);
}

TEST_F(StartupTest, FullScreenOpensThePopupAndRunsTheLoop)
{
    fake.screen = SIZE{640, 480};
    for (const char* sw : {"/s", "-S", "s"}) {
        fake.createCalls.clear();
        EXPECT_EQ(Main({sw}), 0);
        ASSERT_EQ(fake.createCalls.size(), 1u);
        EXPECT_EQ(fake.createCalls[0].style, WS_POPUP | WS_VISIBLE);
        EXPECT_EQ(fake.createCalls[0].rc, (RECT{0, 0, 640, 480}));
        CSaverApp& app = GetSaverApp();
        EXPECT_EQ(app.m_bPreview, FALSE);
        ASSERT_NE(app.m_pFullScreenWnd, nullptr);
        EXPECT_EQ(static_cast<CWnd*>(app.m_pFullScreenWnd), app.m_pMainWnd);
        EXPECT_EQ(static_cast<CSaverWnd*>(app.m_pFullScreenWnd), app.m_pSaverWnd);
    }
    EXPECT_TRUE(fake.dialogTemplates.empty());
}

TEST_F(StartupTest, PreviewIsAChildFillingItsParent)
{
    for (const char* handle : {"4711", "+4711", "  4711", "4711abc"}) {
        fake.createCalls.clear();
        EXPECT_EQ(Main({"/P", handle}), 0) << err;
        ASSERT_EQ(fake.createCalls.size(), 1u);
        EXPECT_EQ(fake.createCalls[0].style, WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(fake.createCalls[0].parent, reinterpret_cast<HWND>(std::intptr_t(4711)));
        EXPECT_EQ(fake.createCalls[0].rc, (RECT{0, 0, 152, 112}));
        CSaverApp& app = GetSaverApp();
        EXPECT_EQ(app.m_bPreview, TRUE);
        EXPECT_EQ(static_cast<CWnd*>(app.m_pSaverWnd), app.m_pMainWnd);
    }
}

TEST_F(StartupTest, PreviewWithoutAUsableParentEndsWithStatusFour)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"/p"}, {"/p", ""}, {"/p", "abc"}, {"/p", "815"},
                                          {"/p", "0"}, {"/p", "-4711"}, {"/p", "99999999999999999999"}}) {
        EXPECT_EQ(Main(args), 4) << (args.size() > 1 ? args[1] : "none");
        EXPECT_EQ(Lines(), 1);
    }
    EXPECT_TRUE(fake.createCalls.empty());
}

TEST_F(StartupTest, WindowThatCannotBeMadeEndsWithStatusThree)
{
    fake.failCreate = true;
    EXPECT_EQ(Main({"/s"}), 3);
    EXPECT_EQ(Lines(), 1);
    EXPECT_EQ(Main({"/p", "4711"}), 3);
    EXPECT_EQ(Lines(), 1);
    CSaverApp& app = GetSaverApp();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(app.m_pSaverWnd, nullptr);
    EXPECT_EQ(app.m_pFullScreenWnd, nullptr);
}
