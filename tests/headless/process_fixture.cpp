// Process running, PNG reading and saver packing for the command-line tests.
#include "process_fixture.h"

#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Whether the process has a handler for SIGTERM (Linux: SigCgt in /proc).
bool CatchesSigterm(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

std::map<std::string, fs::path>& Savers()
{
    static std::map<std::string, fs::path> savers;
    return savers;
}

} // namespace

RunResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env, const fs::path& dir,
                     int limitSeconds, int termAfterMs)
{
    RunResult r;
    const fs::path outFile = dir / ".stdout", errFile = dir / ".stderr";
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0)
        return r;
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        for (const std::string& e : env)
            ::putenv(const_cast<char*>(e.c_str()));
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(limitSeconds);
    std::optional<std::chrono::steady_clock::time_point> ready, termed;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        const auto now = std::chrono::steady_clock::now();
        if (termAfterMs >= 0 && !ready && CatchesSigterm(pid))
            ready = now;
        if (ready && !termed && now >= *ready + std::chrono::milliseconds(termAfterMs)) {
            termed = now;
            ::kill(pid, SIGTERM);
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            r.err = "killed after " + std::to_string(limitSeconds) + " s";
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (termed)
        r.stopMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *termed).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(outFile);
    r.err = Slurp(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
}

Frame ReadPng(const fs::path& path)
{
    Frame f;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return f;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return f;
    f.width = int(image.width);
    f.height = int(image.height);
    f.pixels.resize(std::size_t(f.width) * std::size_t(f.height));
    for (std::size_t i = 0; i < f.pixels.size(); ++i)
        f.pixels[i] = (std::uint32_t(rgb[3 * i]) << 16) | (std::uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
    return f;
}

std::vector<Frame> ReadFrames(const fs::path& dir)
{
    std::vector<Frame> frames;
    for (int i = 0;; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", i);
        if (!fs::exists(dir / name))
            break;
        frames.push_back(ReadPng(dir / name));
    }
    return frames;
}

fs::path SaverProcessTest::s_work;
std::string SaverProcessTest::s_skip;
int SaverProcessTest::s_runs = 0;

void SaverProcessTest::SetUpTestSuite()
{
    const fs::path bin = MOSVIK_BINARY_DIR;
    if (!fs::exists(bin / "mosvik"))
        s_skip = "build/mosvik is not built";
    else if (!fs::exists(bin / "mosvik-pack"))
        s_skip = "build/mosvik-pack is not built";
    if (!s_skip.empty())
        return;
    char tmpl[] = "/tmp/mosvik-process-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        s_skip = "no temporary directory";
        return;
    }
    s_work = tmpl;
}

void SaverProcessTest::TearDownTestSuite()
{
    if (!s_work.empty() && !std::getenv("MOSVIK_KEEP_TEST_FILES"))
        fs::remove_all(s_work);
    Savers().clear();
}

void SaverProcessTest::SetUp()
{
    if (!s_skip.empty())
        GTEST_SKIP() << s_skip;
    m_config = NewDir("config");
}

fs::path SaverProcessTest::NewDir(const std::string& name)
{
    const fs::path d = s_work / (name + "-" + std::to_string(++s_runs));
    fs::create_directories(d);
    return d;
}

fs::path SaverProcessTest::Saver(const std::string& message)
{
    auto it = Savers().find(message);
    if (it != Savers().end())
        return it->second;
    const fs::path bin = MOSVIK_BINARY_DIR;
    const fs::path out = s_work / ("saver" + std::to_string(Savers().size()));
    const RunResult r = RunProcess({(bin / "mosvik-pack").string(), "-o", out.string(), "--message", message,
                                    "--color", "#FF00FF", "--saver", (bin / "mosvik").string()},
                                   {}, s_work);
    if (r.status != 0 || !fs::exists(out)) {
        ADD_FAILURE() << "mosvik-pack failed (" << r.status << "): " << r.err;
        return {};
    }
    Savers()[message] = out;
    return out;
}

RunResult SaverProcessTest::RunSaver(const fs::path& saver, std::vector<std::string> args, const std::string& input,
                                     fs::path* frames)
{
    const fs::path dir = NewDir("run");
    std::vector<std::string> argv{saver.string(), "--headless=320x240"};
    if (!input.empty()) {
        std::ofstream(dir / "input.txt") << input;
        argv.push_back("--input=input.txt");
    }
    if (frames) {
        *frames = dir / "frames";
        argv.push_back("--frames=frames");
    }
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, {"XDG_CONFIG_HOME=" + m_config.string()}, dir);
}
