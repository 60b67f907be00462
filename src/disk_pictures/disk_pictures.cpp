// CDiskPictureSource: the folder's file names are listed and shuffled with
// the source's own generator (the show's rand() sequence is left alone);
// each picture is read and decoded when its turn comes.
#include "disk_pictures/disk_pictures.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <utility>

#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "picture_load.h"

namespace fs = std::filesystem;

bool PictureOptions::Any() const
{
    return !file.empty() || !dir.empty() || given != 0;
}

struct CDiskPictureSource::Saved {
    BITMAPINFOHEADER bih{};
    std::unique_ptr<BYTE[]> bits;
};

CDiskPictureSource::CDiskPictureSource(PictureOptions options, std::uint32_t seed)
    : m_options(std::move(options)), m_random(seed)
{
}

CDiskPictureSource::~CDiskPictureSource() = default;

bool CDiskPictureSource::Load(const fs::path& file, CJigsawDoc& doc)
{
    try {
        const PictureFile input = ReadPictureFile(file);
        std::vector<std::string> warnings;
        const RgbImage image = LoadPicture(input, kDefaultMaxSide, warnings);
        for (const std::string& w : warnings)
            std::fprintf(stderr, "mosvik: warning: %s\n", w.c_str());
        // Top-down RGB into the bottom-up blue-green-red rows of the board's picture.
        const BITMAPINFOHEADER bih = PictureHeader(image.width, image.height);
        auto bits = std::make_unique<BYTE[]>(bih.biSizeImage);
        const std::size_t stride = PictureStride(image.width);
        for (int y = 0; y < image.height; ++y) {
            const unsigned char* src = image.Row(y);
            BYTE* dst = bits.get() + std::size_t(image.height - 1 - y) * stride;
            for (int x = 0; x < image.width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        }
        doc.m_bih = bih;
        doc.m_pBits = std::move(bits);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mosvik: skipped %s: %s\n", file.string().c_str(), e.what());
        return false;
    }
}

bool CDiskPictureSource::ShowNext(CJigsawDoc& doc)
{
    bool listed = false;
    for (;;) {
        if (m_queue.empty()) {
            if (listed)
                return false; // a whole round and nothing could be shown
            listed = true;
            std::error_code ec;
            for (fs::directory_iterator it(m_options.dir, ec), end; !ec && it != end; it.increment(ec))
                if (!it->is_directory(ec))
                    m_queue.push_back(it->path());
            std::sort(m_queue.begin(), m_queue.end()); // listing order differs between file systems
            std::shuffle(m_queue.begin(), m_queue.end(), m_random);
            if (m_queue.empty())
                return false;
        }
        const fs::path next = m_queue.back();
        m_queue.pop_back();
        if (Load(next, doc))
            return true;
    }
}

void CDiskPictureSource::NextCycle(CJigsawDoc& doc) noexcept
{
    try {
        if (!m_embedded) {
            m_embedded = std::make_unique<Saved>();
            m_embedded->bih = doc.m_bih;
            if (doc.m_pBits) {
                m_embedded->bits = std::make_unique<BYTE[]>(doc.m_bih.biSizeImage);
                std::memcpy(m_embedded->bits.get(), doc.m_pBits.get(), doc.m_bih.biSizeImage);
            }
        }
        const MessageStyle& given = m_options.message;
        if (m_options.given & PictureOptions::kText)
            doc.m_message.text = given.text;
        if (m_options.given & PictureOptions::kFace)
            doc.m_message.face = given.face;
        if (m_options.given & PictureOptions::kColour)
            doc.m_message.colour = given.colour;
        if (m_options.given & PictureOptions::kBold)
            doc.m_message.bold = given.bold;
        if (m_options.given & PictureOptions::kItalic)
            doc.m_message.italic = given.italic;

        bool shown = true;
        if (!m_options.file.empty()) {
            if (!m_fileTried) {
                m_fileTried = true;
                shown = Load(m_options.file, doc);
            }
        } else if (!m_options.dir.empty()) {
            shown = ShowNext(doc);
            if (!shown && !std::exchange(m_fellBack, true))
                std::fprintf(stderr, "mosvik: no picture in %s could be shown; showing the embedded one\n",
                             m_options.dir.string().c_str());
        }
        if (!shown && m_embedded->bits) {
            doc.m_bih = m_embedded->bih;
            doc.m_pBits = std::make_unique<BYTE[]>(doc.m_bih.biSizeImage);
            std::memcpy(doc.m_pBits.get(), m_embedded->bits.get(), doc.m_bih.biSizeImage);
        }
    } catch (const std::exception& e) {
        // Out of memory while copying: the document keeps what it has.
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    }
}
