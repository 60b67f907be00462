#include "doc_fixture.h"

#include <fstream>
#include <random>

#include "picture_source.h"
#include "framework/archive.h"
#include "framework/file.h"
#include "stored_picture.h"

namespace testdoc {

void FillSample(StoredDocument& doc)
{
    RgbImage image(24, 16);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            unsigned char* p = image.Row(y) + x * 3;
            p[0] = BYTE(x * 10);
            p[1] = BYTE(y * 15);
            p[2] = 128;
        }
    doc.strSource = "C:\\Pictures\\sample.jig";
    doc.strTitle = "sample";
    doc.message.text = "Thank you";
    doc.message.face = "Arial";
    doc.message.colour = RGB(255, 255, 0);
    doc.message.bold = 1;
    doc.bih = PictureHeader(image.width, image.height);
    doc.stream = EncodeBottomFirst(image);
}

std::vector<BYTE> Serialise(StoredDocument& doc)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        doc.Store(ar);
        ar.Close();
    }
    return std::vector<BYTE>(file.GetBuffer(), file.GetBuffer() + file.GetLength());
}

ScratchDir::ScratchDir()
{
    std::random_device rd;
    for (;;) {
        m_path = std::filesystem::temp_directory_path() / ("mosvik-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(m_path))
            break;
    }
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void WriteFile(const std::filesystem::path& p, const std::vector<BYTE>& bytes)
{
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<BYTE> ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace testdoc
