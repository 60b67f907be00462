// Shared pieces of the headless backend tests: a window that records its
// messages, a frame sink that keeps what it was given, and a fixture that
// installs a headless platform as the process's platform.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "backends/headless/frame_output.h"
#include "backends/headless/headless_platform.h"
#include "framework/wnd.h"

struct LoggedMsg {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records every message it gets, then lets the framework handle it.
class CLogWnd : public CWnd {
public:
    explicit CLogWnd(std::vector<LoggedMsg>* log, LRESULT createResult = 0) : m_log(log), m_create(createResult) {}

    std::vector<UINT> Messages() const
    {
        std::vector<UINT> out;
        for (const LoggedMsg& m : *m_log)
            out.push_back(m.message);
        return out;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        m_log->push_back(LoggedMsg{m_hWnd, message, wParam, lParam});
        if (message == WM_CREATE)
            return m_create;
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    std::vector<LoggedMsg>* m_log;
    LRESULT m_create;
};

// Keeps the index, time and top-left pixel of every sample.
class CCaptureSink : public IFrameSink {
public:
    struct Sample {
        std::int64_t index, ms;
        std::uint32_t pixel;
    };
    explicit CCaptureSink(std::vector<Sample>* out) : m_out(out) {}
    void Add(const CSurface& frame, std::int64_t index, std::int64_t ms) override
    {
        m_out->push_back(Sample{index, ms, frame.Pixel(0, 0)});
    }
    void Finish(std::int64_t) override {}

private:
    std::vector<Sample>* m_out;
};

class HeadlessTest : public ::testing::Test {
protected:
    static constexpr std::int64_t kMs = CVirtualClock::kUnitsPerMs;

    static HeadlessOptions Options(int w = 100, int h = 80)
    {
        HeadlessOptions o;
        o.width = w;
        o.height = h;
        return o;
    }

    // Makes the platform (replacing any earlier one) and installs it.
    CHeadlessPlatform& Make(HeadlessOptions o = Options(), std::vector<InputEvent> input = {},
                            HWND previewParent = nullptr)
    {
        AfxSetPlatform(nullptr);
        m_platform = std::make_unique<CHeadlessPlatform>(o, std::move(input), previewParent);
        AfxSetPlatform(m_platform.get());
        return *m_platform;
    }

    static InputEvent Event(double seconds, InputKind kind, int x = 0, int y = 0)
    {
        InputEvent e;
        e.time = std::int64_t(seconds * 1000.0 + 0.5) * kMs;
        e.kind = kind;
        e.x = x;
        e.y = y;
        return e;
    }

    void TearDown() override { AfxSetPlatform(nullptr); }

    std::unique_ptr<CHeadlessPlatform> m_platform;
};
