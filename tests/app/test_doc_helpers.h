// A saver file for the start-up tests: some program bytes, the container
// marker, a separator and a stored document whose picture stream is empty
// (the picture then stays white, as with any damaged stream).
#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "document/container.h"
#include "document/picture.h"
#include "document/stored_document.h"
#include "framework/archive.h"
#include "framework/file.h"

namespace apptest {

inline std::vector<BYTE> StoredBytes(const char* message, LONG w, LONG h)
{
    StoredDocument d;
    d.message.text = message;
    d.message.face = "Arial";
    d.bih.biSize = 40;
    d.bih.biWidth = w;
    d.bih.biHeight = h;
    d.bih.biPlanes = 1;
    d.bih.biBitCount = 24;
    d.bih.biSizeImage = DWORD(PictureStride(w) * std::size_t(h));
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        d.Store(ar);
        ar.Close();
    }
    const auto* p = mem.GetBuffer();
    return std::vector<BYTE>(p, p + mem.GetLength());
}

// Writes program bytes, then (when `doc` is not empty) the marker, one
// separator byte and the document.
inline void WriteSaver(const std::filesystem::path& path, const std::vector<BYTE>& doc)
{
    std::vector<BYTE> bytes = {'M', 'Z', 0x90, 0, 3, 0, 0, 0};
    if (!doc.empty()) {
        const std::string marker = ContainerMarker();
        bytes.insert(bytes.end(), marker.begin(), marker.end());
        bytes.push_back(0);
        bytes.insert(bytes.end(), doc.begin(), doc.end());
    }
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

// A scratch folder that removes itself.
class ScratchDir {
public:
    ScratchDir()
    {
        static int s_count = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("mosvik-app-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                  std::to_string(++s_count));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace apptest
