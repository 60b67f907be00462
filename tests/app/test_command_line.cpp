// The switch letters and the preview handle as the command line gives them,
// and the command they make.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "app/saver_app.h"

TEST(MatchSwitch, AcceptsTheLetterWithOneOptionalPrefixInAnyCase)
{
    for (const char* arg : {"s", "S", "/s", "-S", "/S", "-s"})
        EXPECT_TRUE(MatchSwitch(arg, 's')) << arg;
    EXPECT_TRUE(MatchSwitch("/P", 'p'));
    EXPECT_TRUE(MatchSwitch("p", 'P'));
}

TEST(MatchSwitch, RejectsAnythingButTheWholeLetter)
{
    for (const char* arg : {"/s:123", "//s", "/sx", "", "/", "-", "--s", "/-s", "x", "/c", "/c:4711", "/a", " s"})
        EXPECT_FALSE(MatchSwitch(arg, 's')) << "'" << arg << "'";
    EXPECT_FALSE(MatchSwitch(nullptr, 's'));
    // "p" and "s" never both match one argument.
    EXPECT_FALSE(MatchSwitch("/p", 's'));
    EXPECT_FALSE(MatchSwitch("/s", 'p'));
}

TEST(ParsePreviewHandle, ReadsLikeTheCLibrary)
{
    std::int64_t v = 0;
    EXPECT_TRUE(ParsePreviewHandle("4711", v));
    EXPECT_EQ(v, 4711);
    EXPECT_TRUE(ParsePreviewHandle("+4711", v));
    EXPECT_EQ(v, 4711);
    EXPECT_TRUE(ParsePreviewHandle(" \t 4711", v));
    EXPECT_EQ(v, 4711);
    EXPECT_TRUE(ParsePreviewHandle("4711abc", v));
    EXPECT_EQ(v, 4711);
    EXPECT_TRUE(ParsePreviewHandle("-12", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(ParsePreviewHandle("007", v));
    EXPECT_EQ(v, 7);
}

TEST(ParsePreviewHandle, RejectsTextWithoutDigitsAndSaturatesHugeValues)
{
    std::int64_t v = 0;
    for (const char* text : {"", "abc", "+", "-", " ", "+ 12", "x12", "--1"})
        EXPECT_FALSE(ParsePreviewHandle(text, v)) << "'" << text << "'";
    EXPECT_TRUE(ParsePreviewHandle("99999999999999999999999", v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_TRUE(ParsePreviewHandle("-99999999999999999999999", v));
    EXPECT_EQ(v, INT64_MIN);
    EXPECT_TRUE(ParsePreviewHandle("9223372036854775807", v));
    EXPECT_EQ(v, INT64_MAX);
}

TEST(SaverCommand, TheSwitchPicksTheModeAndOnlyAPreviewHasAHandle)
{
    using Mode = SaverCommand::Mode;
    const struct {
        const char* sw;
        const char* next;
        Mode mode;
        std::optional<std::int64_t> handle;
    } rows[] = {
        {"/p", " +4711abc", Mode::Preview, 4711},
        {"-P", "abc", Mode::Preview, std::nullopt},
        {"/p", nullptr, Mode::Preview, std::nullopt},
        {"s", "4711", Mode::FullScreen, std::nullopt},
        {"/c:4711", "4711", Mode::Configure, std::nullopt},
        {"--root", nullptr, Mode::Configure, std::nullopt},
        {nullptr, nullptr, Mode::Configure, std::nullopt},
    };
    for (const auto& row : rows) {
        const SaverCommand c = SaverCommand::FromArguments(row.sw, row.next);
        EXPECT_EQ(c.mode, row.mode) << (row.sw ? row.sw : "none");
        EXPECT_EQ(c.PreviewHandle(), row.handle) << (row.sw ? row.sw : "none");
        EXPECT_EQ(c.handle.has_value(), row.next != nullptr);
    }
    const SaverCommand found = SaverCommand::PreviewOf(0xFFFFFFFFu);
    EXPECT_EQ(found.mode, Mode::Preview);
    EXPECT_EQ(found.handle.value_or(""), "4294967295");
}
