// Scans the saver's own executable backwards, a window at a time, for the
// marker and reads what follows it. The marker is kept scrambled (each byte xor a mask that the
// optimiser cannot see through) so that its plain bytes never appear in the
// program; otherwise a bare saver would take its own code for a document.
#include "document/container.h"

#include <algorithm>
#include <cstdint>
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
    const std::string marker = ContainerMarker();
    const std::uint64_t m = marker.size();
    auto readAt = [&](std::uint64_t offset, std::vector<unsigned char>& into) {
        file.Seek(std::int64_t(offset), CFile::begin);
        if (file.Read(into.data(), into.size()) != into.size())
            AfxThrowFileException(CFileException::endOfFile, -1, exePath);
    };

    // Windows from the end. One covers the marker starts in [begin, end):
    // it holds the byte before begin (FindLastMarker never tests position
    // 0) and the m - 1 bytes after end. Starts from end on were covered by
    // the windows before, so the first marker found is the last one.
    std::vector<unsigned char> window;
    std::uint64_t found = 0;
    bool bFound = false;
    for (std::uint64_t end = length; end > 0 && !bFound;) {
        const std::uint64_t begin = end > kContainerScanWindow ? end - kContainerScanWindow : 0;
        const std::uint64_t base = begin > 0 ? begin - 1 : 0;
        const std::uint64_t stop = std::min(length, end + m - 1);
        window.resize(static_cast<std::size_t>(stop - base));
        readAt(base, window);
        const std::size_t p = FindLastMarker(window.data(), window.size(), marker);
        if (p != std::string::npos) {
            found = base + p;
            bFound = true;
        }
        end = begin;
    }
    if (!bFound)
        AfxThrowFileException(CFileException::generic, -1);
    const std::uint64_t start = found + m + 1; // marker, then one separator byte
    if (start < length) {
        std::vector<unsigned char> document(static_cast<std::size_t>(length - start));
        readAt(start, document);
        dest->Write(document.data(), document.size());
    }
}
