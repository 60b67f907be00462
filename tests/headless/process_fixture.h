// Running the real saver headless from tests: a fixture that packs savers
// with build/mosvik-pack (skipping when the tools are not built), runs
// them with a time limit, and reads the PNG frames they write.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct RunResult {
    int status = -1;         // exit status, or -1 when killed or not run
    std::string out, err;    // what it printed
    double stopMs = -1;      // from SIGTERM to its end, when one was sent
};

// Runs argv (argv[0] a path) with extra environment entries ("NAME=value")
// in `dir`; kills it after `limitSeconds` of wall time. With `termAfterMs`
// it is sent SIGTERM that long after it began to catch SIGTERM (before, the
// dynamic loader may still be mapping libraries and no code of its own runs).
RunResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::filesystem::path& dir, int limitSeconds = 120, int termAfterMs = -1);

// Pixels 0x00RRGGBB, top row first; empty when the file cannot be read.
struct Frame {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    bool operator==(const Frame&) const = default;
};
Frame ReadPng(const std::filesystem::path& path);
// frame-00000.png, frame-00001.png, ... as long as they exist.
std::vector<Frame> ReadFrames(const std::filesystem::path& dir);

class SaverProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // A saver carrying the default picture and `message` (in colour
    // #FF00FF, so the message screen can be told from the picture), made
    // once per message.
    static std::filesystem::path Saver(const std::string& message);
    // Runs the saver headless at 320x240 with the options given; frames go
    // to a fresh directory whose path is returned in `frames`.
    RunResult RunSaver(const std::filesystem::path& saver, std::vector<std::string> args,
                       const std::string& input = {}, std::filesystem::path* frames = nullptr);
    std::filesystem::path NewDir(const std::string& name);

    static std::filesystem::path s_work;
    static std::string s_skip;
    static int s_runs;
    std::filesystem::path m_config; // XDG_CONFIG_HOME of the runs
};
