// Shared pieces of the document tests: a small valid document (a real
// picture stream), serialisation to bytes, little-endian readers and a
// scratch folder that removes itself.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/stored_document.h"
#include "framework/types.h"

namespace testdoc {

// A document with a 24 x 16 picture, a message, a face, colour and style.
void FillSample(StoredDocument& doc);

std::vector<BYTE> Serialise(StoredDocument& doc);

inline std::uint32_t Le32(const std::vector<BYTE>& b, std::size_t at)
{
    return std::uint32_t(b.at(at)) | std::uint32_t(b.at(at + 1)) << 8 | std::uint32_t(b.at(at + 2)) << 16 |
           std::uint32_t(b.at(at + 3)) << 24;
}

// A fresh empty folder under the system's temporary folder.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& p, const std::vector<BYTE>& bytes);
std::vector<BYTE> ReadFile(const std::filesystem::path& p);

} // namespace testdoc
