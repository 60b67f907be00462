// Decoding speed of Velt against libjpeg-turbo (TJFLAG_FASTDCT and
// TJFLAG_FASTUPSAMPLE: the fast integer transform without fancy upsampling,
// SIMD on) on the same streams, made here from a synthetic picture with
// libjpeg-turbo's compressor. Both decoders write every row into a picture
// buffer. Prints megapixels per second for both and Velt's share.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <turbojpeg.h>

#include "jpeg/velt.h"

namespace {

struct Picture {
    const char* name;
    int width, height, subsampling;
    std::vector<unsigned char> jpeg;
};

std::vector<unsigned char> Synthetic(int w, int h)
{
    std::vector<unsigned char> rgb(std::size_t(w) * std::size_t(h) * 3);
    std::uint32_t seed = 99;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = int(seed >> 28) - 8;
            double fx = double(x) / w, fy = double(y) / h;
            int r = int(128 + 100 * std::sin(fx * 9 + fy * 4));
            int g = int(128 + 90 * std::cos(fx * 5 - fy * 11));
            int b = ((x / 40 + y / 30) % 3) * 90;
            unsigned char* p = &rgb[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 3];
            p[0] = static_cast<unsigned char>(std::min(255, std::max(0, r + noise)));
            p[1] = static_cast<unsigned char>(std::min(255, std::max(0, g + noise)));
            p[2] = static_cast<unsigned char>(std::min(255, std::max(0, b + noise)));
        }
    return rgb;
}

std::vector<Picture>& Pictures()
{
    static std::vector<Picture> pictures = [] {
        std::vector<Picture> list = {{"1080p_420", 1920, 1080, TJSAMP_420, {}},
                                     {"1080p_444", 1920, 1080, TJSAMP_444, {}},
                                     {"800x600_420", 800, 600, TJSAMP_420, {}}};
        tjhandle tj = tjInitCompress();
        for (Picture& p : list) {
            std::vector<unsigned char> rgb = Synthetic(p.width, p.height);
            unsigned char* out = nullptr;
            unsigned long size = 0;
            if (tjCompress2(tj, rgb.data(), p.width, 0, p.height, TJPF_RGB, &out, &size, p.subsampling, 85, 0) != 0)
                std::abort();
            p.jpeg.assign(out, out + size);
            tjFree(out);
        }
        tjDestroy(tj);
        return list;
    }();
    return pictures;
}

class BytesSource : public Velt::Source {
public:
    BytesSource(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    int Read(unsigned char* dst, int maxCount) override
    {
        std::size_t n = std::min<std::size_t>(std::size_t(maxCount), size_ - pos_);
        std::memcpy(dst, data_ + pos_, n);
        pos_ += n;
        return int(n);
    }

private:
    const unsigned char* data_;
    std::size_t size_, pos_ = 0;
};

void DecodeVelt(benchmark::State& state, int index)
{
    const Picture& p = Pictures()[std::size_t(index)];
    std::vector<unsigned char> out(std::size_t(p.width) * std::size_t(p.height) * 3);
    for (auto _ : state) {
        BytesSource source(p.jpeg.data(), p.jpeg.size());
        int w = 0, h = 0;
        unsigned char colour = 0;
        Velt::Decoder* d = Velt::CreateDecoder(&source, &w, &h, &colour, nullptr, nullptr, nullptr);
        const std::size_t rowBytes = std::size_t(w) * 3;
        for (int y = 0; y < h; ++y)
            std::memcpy(out.data() + rowBytes * std::size_t(y), d->NextRow(), rowBytes);
        Velt::DestroyDecoder(d);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MP/s"] = benchmark::Counter(double(p.width) * p.height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void DecodeTurbo(benchmark::State& state, int index)
{
    const Picture& p = Pictures()[std::size_t(index)];
    std::vector<unsigned char> out(std::size_t(p.width) * std::size_t(p.height) * 3);
    tjhandle tj = tjInitDecompress();
    for (auto _ : state) {
        if (tjDecompress2(tj, p.jpeg.data(), static_cast<unsigned long>(p.jpeg.size()), out.data(), p.width, 0,
                          p.height, TJPF_RGB, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) != 0)
            state.SkipWithError("libjpeg-turbo failed");
        benchmark::DoNotOptimize(out.data());
    }
    tjDestroy(tj);
    state.counters["MP/s"] = benchmark::Counter(double(p.width) * p.height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Console output plus a closing table of Velt's share of libjpeg-turbo's speed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            auto it = r.counters.find("MP/s");
            if (it == r.counters.end())
                continue;
            // With repetitions the median stands for the run.
            if (r.run_type == Run::RT_Iteration && !medians_.count(r.run_name.function_name))
                rates_[r.run_name.function_name] = it->second.value;
            else if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
                rates_[r.run_name.function_name] = it->second.value;
                medians_.insert(r.run_name.function_name);
            }
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-14s %12s %14s %8s\n", "picture", "Velt MP/s", "turbo MP/s", "ratio");
        for (const Picture& p : Pictures()) {
            double v = rates_[std::string("velt/") + p.name], t = rates_[std::string("turbo/") + p.name];
            std::printf("%-14s %12.1f %14.1f %8.3f\n", p.name, v, t, t > 0 ? v / t : 0.0);
        }
    }

private:
    std::map<std::string, double> rates_;
    std::set<std::string> medians_;
};

} // namespace

int main(int argc, char** argv)
{
    for (int i = 0; i < int(Pictures().size()); ++i) {
        std::string name = Pictures()[std::size_t(i)].name;
        benchmark::RegisterBenchmark(("velt/" + name).c_str(), DecodeVelt, i)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("turbo/" + name).c_str(), DecodeTurbo, i)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
