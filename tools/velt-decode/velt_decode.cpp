// velt-decode: decodes a baseline JPEG with Velt and writes the rows top
// first as binary PPM (P6, colour) or PGM (P5, grey). A refused or failing
// stream prints "Jpeg error" and exits with status 1, writing nothing; with
// --partial the rows decoded before a failure are written and the rest white.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "jpeg/velt.h"

namespace {

// Reads a whole stream through std::istream.
class StreamSource : public Velt::Source {
public:
    explicit StreamSource(std::istream& in) : in_(in) {}
    int Read(unsigned char* dst, int maxCount) override
    {
        in_.read(reinterpret_cast<char*>(dst), maxCount);
        return int(in_.gcount());
    }

private:
    std::istream& in_;
};

int Usage()
{
    std::cerr << "usage: velt-decode IN.jpg OUT.ppm [--partial]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string inPath, outPath;
    bool partial = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--partial") == 0)
            partial = true;
        else if (inPath.empty())
            inPath = argv[i];
        else if (outPath.empty())
            outPath = argv[i];
        else
            return Usage();
    }
    if (outPath.empty())
        return Usage();
    std::ifstream in(inPath, std::ios::binary);
    if (!in) {
        std::cerr << "cannot open " << inPath << "\n";
        return 1;
    }

    StreamSource source(in);
    int width = 0, height = 0;
    unsigned char colour = 0;
    std::vector<unsigned char> pixels;
    bool failed = false;
    Velt::Decoder* decoder = nullptr;
    try {
        decoder = Velt::CreateDecoder(&source, &width, &height, &colour, nullptr, nullptr, nullptr);
        if (!decoder)
            throw Velt::Error();
        const std::size_t rowBytes = std::size_t(width) * (colour ? 3 : 1);
        pixels.assign(rowBytes * std::size_t(height), 0xFF);
        for (int y = 0; y < height; ++y)
            std::memcpy(pixels.data() + rowBytes * std::size_t(y), decoder->NextRow(), rowBytes);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        failed = true;
    }
    Velt::DestroyDecoder(decoder);
    if (failed && (!partial || pixels.empty()))
        return 1;

    std::ofstream out(outPath, std::ios::binary);
    out << (colour ? "P6\n" : "P5\n") << width << " " << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size()));
    if (!out) {
        std::cerr << "cannot write " << outPath << "\n";
        return 1;
    }
    return failed ? 1 : 0;
}
