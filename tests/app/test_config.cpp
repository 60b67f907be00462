// The configuration dialog: the mirrored slider, what OK and Cancel store,
// and the home-page button's probe file.
#include "app_fixture.h"

#include <filesystem>
#include <fstream>

#include "app/config_dlg.h"
#include "resources/resource.h"
#include "test_doc_helpers.h"

namespace {
// The backend's trackbar as the dialog sees it.
class FakeSlider : public ISliderPeer {
public:
    void SetRange(int nMin, int nMax, BOOL) override
    {
        min = nMin;
        max = nMax;
    }
    void SetPos(int nPos) override { pos = nPos; }
    int GetPos() const override { return pos; }
    int min = 0, max = 0, pos = 0;
};

class ConfigTest : public AppTest {
protected:
    // Scripts the dialog: binds the slider, initialises, records the shown
    // position, moves the slider (unless moveTo is 0) and presses a button.
    void Script(int moveTo, int button)
    {
        fake.runDialog = [this, moveTo, button](CDialog& dlg) {
            mainDuringDialog = GetSaverApp().m_pMainWnd;
            dlg.BindControl(IDC_SPEED, &slider);
            EXPECT_TRUE(dlg.OnInitDialog());
            shown = slider.pos;
            if (moveTo)
                slider.pos = moveTo;
            if (button == IDOK)
                dlg.OnOK();
            else
                dlg.OnCancel();
            EXPECT_TRUE(dlg.IsEnded());
            return dlg.GetResult();
        };
    }

    FakeSlider slider;
    int shown = 0;
    CWnd* mainDuringDialog = nullptr;
};
} // namespace

TEST_F(ConfigTest, DefaultSpeedShowsAtFiftySevenAndOkStoresIt)
{
    Script(0, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(fake.dialogTemplates, std::vector<UINT>{133});
    EXPECT_EQ(slider.min, 1);
    EXPECT_EQ(slider.max, 64);
    EXPECT_EQ(shown, 57);
    EXPECT_EQ(fake.profileWrites, (std::vector<std::pair<std::string, int>>{{"MOSVIK\\Speed", 8}}));
    EXPECT_NE(mainDuringDialog, nullptr);
    EXPECT_EQ(GetSaverApp().m_pMainWnd, nullptr);
}

TEST_F(ConfigTest, SliderEndsStoreTheSlowestAndFastestSpeeds)
{
    Script(1, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(GetSaverApp().m_nSpeed, 64);
    Script(64, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(GetSaverApp().m_nSpeed, 1);
    EXPECT_EQ(shown, 1); // the stored 64 showed at the left end
    EXPECT_EQ(fake.profileWrites,
              (std::vector<std::pair<std::string, int>>{{"MOSVIK\\Speed", 64}, {"MOSVIK\\Speed", 1}}));
}

TEST_F(ConfigTest, CancelStoresNothing)
{
    GetSaverApp().m_nSpeed = 20;
    Script(3, IDCANCEL);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(shown, 45);
    EXPECT_EQ(GetSaverApp().m_nSpeed, 20);
    EXPECT_TRUE(fake.profileWrites.empty());
}

TEST_F(ConfigTest, OutOfRangeSpeedShowsAtTheNearestEnd)
{
    GetSaverApp().m_nSpeed = 100;
    Script(0, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(GetSaverApp().m_nSpeed, 64);

    GetSaverApp().m_nSpeed = -7;
    Script(0, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(shown, 64);
    EXPECT_EQ(GetSaverApp().m_nSpeed, 1);
}

namespace {
class HomePageTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        old = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override
    {
        std::filesystem::current_path(old);
        AppTest::TearDown();
    }
    std::filesystem::path old;
    apptest::ScratchDir dir;
};
} // namespace

TEST_F(HomePageTest, ProbeFileIsMadeForTheLookupAndRemovedAfterwards)
{
    bool existedAtLookup = false;
    fake.onFindExecutable = [&](const std::string& file) { existedAtLookup = std::filesystem::exists(file); };
    CConfigDlg dlg;
    dlg.OnCommand(IDC_HOMEPAGE);
    ASSERT_EQ(fake.lookups, std::vector<std::string>{"aaa.htm"});
    EXPECT_TRUE(existedAtLookup);
    EXPECT_EQ(fake.launches, std::vector<std::string>{std::string("browser|open|") + MOSVIK_HOMEPAGE_HOST});
    EXPECT_FALSE(std::filesystem::exists(dir / "aaa.htm"));
    EXPECT_FALSE(dlg.IsEnded()); // the dialog stays open
}

TEST_F(HomePageTest, ExistingProbeFileIsUsedAndLeftAlone)
{
    {
        std::ofstream f(dir / "aaa.htm");
        f << "<html>mine</html>";
    }
    CConfigDlg dlg;
    dlg.OnHomePage();
    EXPECT_EQ(fake.launches.size(), 1u);
    ASSERT_TRUE(std::filesystem::exists(dir / "aaa.htm"));
    EXPECT_EQ(std::filesystem::file_size(dir / "aaa.htm"), 17u);
}

TEST_F(HomePageTest, NoBrowserStartsNothingAndStillCleansUp)
{
    fake.browserFound = false;
    CConfigDlg dlg;
    dlg.OnHomePage();
    EXPECT_EQ(fake.lookups.size(), 1u);
    EXPECT_TRUE(fake.launches.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "aaa.htm"));
}
