// Reads the saver's own executable into memory and scans it backwards for
// the marker. The marker is kept scrambled (each byte xor a mask that the
// optimiser cannot see through) so that its plain bytes never appear in the
// program; otherwise a bare saver would take its own code for a document.
#include "document/container.h"

#include <vector>

#include "framework/exceptions.h"
#include "framework/file.h"

namespace {
// "AutoplayTovin", each byte xor 0x5A.
constexpr unsigned char kScrambled[] = {0x1B, 0x2F, 0x2E, 0x35, 0x2A, 0x36, 0x3B, 0x23,
                                        0x0E, 0x35, 0x2C, 0x33, 0x34};
volatile unsigned char g_mask = 0x5A;
} // namespace

std::string ContainerMarker()
{
    std::string key;
    key.reserve(sizeof kScrambled);
    for (unsigned char c : kScrambled)
        key.push_back(char(c ^ g_mask));
    return key;
}

std::size_t FindLastMarker(const unsigned char* data, std::size_t length, const std::string& marker)
{
    const std::size_t m = marker.size();
    if (m == 0 || length < m + 1)
        return std::string::npos;
    const auto first = static_cast<unsigned char>(marker[0]);
    for (std::size_t p = length - m; p >= 1; --p) {
        if (data[p] != first)
            continue;
        std::size_t k = 1;
        while (k < m && data[p + k] == static_cast<unsigned char>(marker[k]))
            ++k;
        if (k == m)
            return p;
    }
    return std::string::npos;
}

void ReadEmbeddedDocument(const std::string& exePath, CFile* dest)
{
    CFile file;
    file.Open(exePath, CFile::modeRead); // a failed open shows at the first operation
    const std::uint64_t length = file.GetLength();
    std::vector<unsigned char> image(static_cast<std::size_t>(length));
    if (file.Read(image.data(), image.size()) != image.size())
        AfxThrowFileException(CFileException::endOfFile, -1, exePath);
    const std::string marker = ContainerMarker();
    const std::size_t p = FindLastMarker(image.data(), image.size(), marker);
    if (p == std::string::npos)
        AfxThrowFileException(CFileException::generic, -1);
    const std::size_t start = p + marker.size() + 1; // marker, then one separator byte
    if (start < image.size())
        dest->Write(image.data() + start, image.size() - start);
}
