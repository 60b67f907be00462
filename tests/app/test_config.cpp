// The configuration dialog: the mirrored slider, the pictures group, what
// OK and Cancel store, the ranking of picture sources, and the home-page
// button's probe file.
#include "app_fixture.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "app/config_dlg.h"
#include "app/picture_settings.h"
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

// The backend's other items, with a folder picker that answers `picked`.
class FakeItems : public IDialogItems {
public:
    std::string GetText(UINT id) const override { return text.count(id) ? text.at(id) : ""; }
    void SetText(UINT id, const std::string& t) override { text[id] = t; }
    bool IsChecked(UINT id) const override { return checked.count(id) && checked.at(id); }
    void SetChecked(UINT id, bool c) override { checked[id] = c; }
    void Enable(UINT id, bool e) override { enabled[id] = e; }
    std::optional<std::string> PickFolder(const std::string& initial) override
    {
        pickedFrom = initial;
        return picked;
    }
    std::map<UINT, std::string> text;
    std::map<UINT, bool> checked, enabled;
    std::optional<std::string> picked, pickedFrom;
};

// What the user does between the dialog's start and the button.
struct Action {
    int slider = 0;             // 0: left alone
    UINT radio = 0;             // a radio button clicked (0: none)
    const char* typed = nullptr; // the folder's text replaced
    bool browse = false;        // Browse clicked
    int subfolders = -1, caption = -1; // -1: left alone
};

class ConfigTest : public AppTest {
protected:
    // Scripts the dialog: binds the slider and the items, initialises,
    // records what it shows, acts and presses a button.
    void Script(Action act, int button)
    {
        fake.runDialog = [this, act, button](CDialog& dlg) {
            mainDuringDialog = GetSaverApp().m_pMainWnd;
            dlg.BindControl(IDC_SPEED, &slider);
            dlg.AttachItems(&items);
            EXPECT_TRUE(dlg.OnInitDialog());
            shown = slider.pos;
            shownItems = items;
            if (act.slider)
                slider.pos = act.slider;
            if (act.radio) {
                items.checked[IDC_OWN_PICTURE] = act.radio == IDC_OWN_PICTURE;
                items.checked[IDC_FOLDER_PICTURES] = act.radio == IDC_FOLDER_PICTURES;
                dlg.OnCommand(act.radio);
            }
            if (act.typed)
                items.text[IDC_PICTURE_FOLDER] = act.typed;
            if (act.browse)
                dlg.OnCommand(IDC_BROWSE);
            if (act.subfolders >= 0)
                items.checked[IDC_SUBFOLDERS] = act.subfolders != 0;
            if (act.caption >= 0)
                items.checked[IDC_CAPTION] = act.caption != 0;
            if (button == IDOK)
                dlg.OnOK();
            else
                dlg.OnCancel();
            dlg.AttachItems(nullptr);
            EXPECT_TRUE(dlg.IsEnded());
            return dlg.GetResult();
        };
    }
    std::vector<int> SpeedWrites() const
    {
        std::vector<int> v;
        for (const auto& [entry, value] : fake.profileWrites)
            if (entry == "MOSVIK\\Speed")
                v.push_back(value);
        return v;
    }

    FakeSlider slider;
    FakeItems items, shownItems;
    int shown = 0;
    CWnd* mainDuringDialog = nullptr;
};
} // namespace

TEST_F(ConfigTest, DefaultSpeedShowsAtFiftySevenAndOkStoresIt)
{
    Script({}, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(fake.dialogTemplates, std::vector<UINT>{133});
    EXPECT_EQ(slider.min, 1);
    EXPECT_EQ(slider.max, 64);
    EXPECT_EQ(shown, 57);
    EXPECT_EQ(SpeedWrites(), std::vector<int>{8});
    EXPECT_NE(mainDuringDialog, nullptr);
    EXPECT_EQ(GetSaverApp().m_pMainWnd, nullptr);
}

TEST_F(ConfigTest, SliderEndsStoreTheSlowestAndFastestSpeeds)
{
    Script({.slider = 1}, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(GetSaverApp().m_nSpeed, 64);
    Script({.slider = 64}, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(GetSaverApp().m_nSpeed, 1);
    EXPECT_EQ(shown, 1); // the stored 64 showed at the left end
    EXPECT_EQ(SpeedWrites(), (std::vector<int>{64, 1}));
}

TEST_F(ConfigTest, CancelStoresNothing)
{
    GetSaverApp().m_nSpeed = 20;
    Script({.slider = 3, .radio = IDC_FOLDER_PICTURES, .typed = "/photos", .caption = 1}, IDCANCEL);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(shown, 45);
    EXPECT_EQ(GetSaverApp().m_nSpeed, 20);
    EXPECT_EQ(GetSaverApp().m_pictures, PictureSettings{});
    EXPECT_TRUE(fake.profileWrites.empty());
    EXPECT_TRUE(fake.profileTextWrites.empty());
}

TEST_F(ConfigTest, OutOfRangeSpeedShowsAtTheNearestEnd)
{
    GetSaverApp().m_nSpeed = 100;
    Script({}, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(GetSaverApp().m_nSpeed, 64);

    GetSaverApp().m_nSpeed = -7;
    Script({}, IDOK);
    GetSaverApp().RunConfigDialog();
    EXPECT_EQ(shown, 64);
    EXPECT_EQ(GetSaverApp().m_nSpeed, 1);
}

TEST_F(ConfigTest, PicturesGroupShowsTheSettingAndOkStoresTheChoice)
{
    using Text = std::optional<std::string>;
    const std::string photos = "/home/ann/\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe/2024"; // any name, UTF-8
    const PictureSettings never{}, folderNoSub{photos, false, true}, folder{photos, true, false}, own{"", true, false};
    struct Case {
        const char* what;
        PictureSettings stored;
        Action act;
        bool folderShown;      // the folder's radio button on, its items enabled
        Text folderStored;     // PictureFolder written (nothing: not written)
        bool subfolders, caption;
    } cases[] = {
        {"never set, left alone", never, {}, false, std::nullopt, true, false},
        {"never set, a folder typed", never, {.radio = IDC_FOLDER_PICTURES, .typed = "  /srv/My Photos  "}, false,
         "/srv/My Photos", true, false},
        {"never set, folder chosen but none typed", never, {.radio = IDC_FOLDER_PICTURES}, false, std::nullopt, true,
         false},
        {"a folder, kept", folderNoSub, {}, true, photos, false, true},
        {"a folder, back to the own picture", folder, {.radio = IDC_OWN_PICTURE}, true, "", true,
         false},
        {"the own picture, kept", own, {.subfolders = 0}, false, "", false, false},
        {"browsed for", never, {.browse = true, .caption = 1}, false, "/mnt/pictures", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.profileTextWrites.clear();
        fake.profileWrites.clear();
        items = FakeItems{};
        items.picked = "/mnt/pictures";
        GetSaverApp().m_pictures = c.stored;
        Script(c.act, IDOK);
        GetSaverApp().RunConfigDialog();

        EXPECT_EQ(shownItems.checked[IDC_FOLDER_PICTURES], c.folderShown);
        EXPECT_EQ(shownItems.checked[IDC_OWN_PICTURE], !c.folderShown);
        EXPECT_EQ(shownItems.text[IDC_PICTURE_FOLDER], c.stored.folder.value_or(""));
        for (UINT id : {IDC_PICTURE_FOLDER, IDC_BROWSE, IDC_SUBFOLDERS, IDC_CAPTION})
            EXPECT_EQ(shownItems.enabled[id], c.folderShown) << id;
        EXPECT_EQ(shownItems.checked[IDC_SUBFOLDERS], c.stored.subfolders);
        EXPECT_EQ(shownItems.checked[IDC_CAPTION], c.stored.caption);

        std::vector<std::pair<std::string, std::string>> texts;
        if (c.folderStored)
            texts.push_back({"MOSVIK\\PictureFolder", *c.folderStored});
        EXPECT_EQ(fake.profileTextWrites, texts);
        EXPECT_EQ(fake.profileWrites, (std::vector<std::pair<std::string, int>>{
                                          {"MOSVIK\\Speed", 8},
                                          {"MOSVIK\\PictureSubfolders", c.subfolders ? 1 : 0},
                                          {"MOSVIK\\PictureCaption", c.caption ? 1 : 0}}));
        // Read back at the next start, the same settings.
        GetSaverApp().SetRegistryKey("Korvel Screen Savers");
        EXPECT_EQ(ReadPictureSettings(GetSaverApp()), GetSaverApp().m_pictures);
        fake.profileText.clear();
    }
    EXPECT_EQ(items.pickedFrom, std::optional<std::string>(""));
}

TEST(PictureChoiceTest, CommandLineThenSettingThenXScreenSaverThenEmbedded)
{
    using O = PictureOrigin;
    const std::optional<std::string> none, xss = "/home/ann/Pictures", xssEmpty = "";
    const PictureSettings never{}, folder{"/srv/photos", false, true}, own{"", true, false};
    struct Case {
        bool commandLine;
        PictureSettings saved;
        std::optional<std::string> xscreensaver;
        PictureChoice want;
    } cases[] = {
        {true, folder, xss, {O::commandLine, "", true}},
        {true, never, none, {O::commandLine, "", true}},
        {false, folder, xss, {O::saverSetting, "/srv/photos", false}},
        {false, own, xss, {O::embedded, "", true}},  // the own picture, chosen: XScreenSaver's is not taken
        {false, never, xss, {O::xscreensaver, "/home/ann/Pictures", true}},
        {false, never, xssEmpty, {O::embedded, "", true}},
        {false, never, none, {O::embedded, "", true}},
        {false, own, none, {O::embedded, "", true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChoosePictures(c.commandLine, c.saved, c.xscreensaver), c.want)
            << c.commandLine << " " << c.saved.folder.value_or("(never)") << " " << c.xscreensaver.value_or("(none)");
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
