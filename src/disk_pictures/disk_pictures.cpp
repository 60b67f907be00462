// CDiskPictureSource. The worker and the show meet in one
// slot under a lock: the worker fills it when it is empty and wanted, the
// show empties it at the start of a cycle. Everything the worker reads
// besides the slot (the options, the queue, the files reported) is its own
// or never changes after the worker starts. The show's rand() sequence is
// left alone: the order has its own seed.
#include "disk_pictures/disk_pictures.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>

#include "disk_pictures/caption.h"
#include "disk_pictures/folder_walk.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "picture_input.h"
#include "picture_load.h"
#include "picture_prepare.h"

namespace fs = std::filesystem;

namespace {
// A path for a message: UTF-8 on every system (Windows' narrow form may fail).
std::string Shown(const fs::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}
} // namespace

bool PictureOptions::Any() const
{
    return !file.empty() || !dir.empty() || given != 0 || caption;
}

struct CDiskPictureSource::Saved {
    BITMAPINFOHEADER bih{};
    std::unique_ptr<BYTE[]> bits;
};

// A picture in the board's form (bottom-up blue-green-red rows) and its caption.
struct CDiskPictureSource::Prepared {
    BITMAPINFOHEADER bih{};
    std::unique_ptr<BYTE[]> bits;
    CString caption;
};

CDiskPictureSource::CDiskPictureSource(PictureOptions options)
    : m_options(std::move(options)), m_queue(m_options.order)
{
    if (m_options.caption)
        std::setlocale(LC_TIME, ""); // the user's date format; before the worker reads it
    if (!m_options.file.empty() || !m_options.dir.empty())
        // The worker yields to the show, whose input comes first, unless the
        // show waits for it anyway.
        m_worker = std::make_unique<CWorkerThread>([this] { Work(); }, !m_options.waitForPictures);
}

CDiskPictureSource::~CDiskPictureSource()
{
    {
        std::unique_lock<CWorkerMutex> lock(m_mutex);
        m_stop = true;
        m_changed.NotifyAll();
    }
    m_worker.reset();
}

void CDiskPictureSource::Report(const std::filesystem::path& file, const std::string& why)
{
    if (m_reported.insert(file).second)
        std::fprintf(stderr, "mosvik: skipped %s: %s\n", Shown(file).c_str(), why.c_str());
}

std::unique_ptr<CDiskPictureSource::Prepared> CDiskPictureSource::Prepare(const fs::path& file)
{
    try {
        CPictureInput input(file);
        std::vector<std::string> warnings;
        const DecodeLimits limits{kPrepareMemoryBytes, &m_stop};
        const LoadedPicture loaded = PreparePicture(input, kDefaultMaxSide, limits, warnings);
        if (!warnings.empty() && m_reported.insert(file).second)
            for (const std::string& w : warnings)
                std::fprintf(stderr, "mosvik: warning: %s\n", w.c_str());
        // Top-down RGB into the bottom-up blue-green-red rows of the board's picture.
        const RgbImage& image = loaded.image;
        auto out = std::make_unique<Prepared>();
        out->bih = PictureHeader(image.width, image.height);
        out->bits = std::make_unique<BYTE[]>(out->bih.biSizeImage);
        const std::size_t stride = PictureStride(image.width);
        for (int y = 0; y < image.height; ++y) {
            const unsigned char* src = image.Row(y);
            BYTE* dst = out->bits.get() + std::size_t(image.height - 1 - y) * stride;
            for (int x = 0; x < image.width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        }
        if (m_options.caption)
            out->caption = ToStoredTextLenient(CaptionText(loaded.taken, input.ModifiedTime(), input.Name()));
        return out;
    } catch (const PictureStopped&) {
        throw;
    } catch (const std::exception& e) {
        Report(file, e.what());
        return nullptr;
    }
}

std::unique_ptr<CDiskPictureSource::Prepared> CDiskPictureSource::PrepareNext()
{
    if (!m_options.file.empty())
        return Prepare(m_options.file);
    // A whole round without a picture ends the search; a show of several
    // sees only its part of each round, so it looks through as many rounds
    // as there are shows (the round it began in may have been half done).
    bool begunHere = false;
    for (int wholeRounds = 0;;) {
        CheckStop(DecodeLimits{0, &m_stop});
        if (const std::optional<fs::path> next = m_queue.Next()) {
            if (std::unique_ptr<Prepared> p = Prepare(*next))
                return p;
            continue;
        }
        if (begunHere && ++wholeRounds >= m_queue.Order().shows)
            return nullptr;
        begunHere = true;
        FolderListing listing = ListFolder(m_options.dir, m_options.subfolders, &m_stop);
        CheckStop(DecodeLimits{0, &m_stop});
        for (const auto& [path, why] : listing.skipped)
            Report(path, why);
        if (listing.full && !std::exchange(m_listingFullSaid, true))
            std::fprintf(stderr, "mosvik: %s holds more than %zu files; only the first %zu are shown\n",
                         Shown(m_options.dir).c_str(), kMaxListedFiles, kMaxListedFiles);
        if (listing.files.empty())
            return nullptr;
        m_queue.StartRound(std::move(listing.files));
    }
}

void CDiskPictureSource::Work() noexcept
{
    const bool once = !m_options.file.empty();
    for (;;) {
        {
            std::unique_lock<CWorkerMutex> lock(m_mutex);
            m_changed.Wait(lock, [&] { return m_stop || (m_wanted && !m_ready && !m_nothing); });
            if (m_stop)
                return;
        }
        std::unique_ptr<Prepared> next;
        try {
            next = PrepareNext();
        } catch (const PictureStopped&) {
            return;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "mosvik: %s\n", e.what()); // out of memory between files
        }
        std::unique_lock<CWorkerMutex> lock(m_mutex);
        m_nothing = !next;
        m_ready = std::move(next);
        m_wanted = !once; // one file is prepared once
        m_changed.NotifyAll();
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
        if (!m_worker)
            return;

        std::unique_ptr<Prepared> next;
        bool nothing = false;
        {
            std::unique_lock<CWorkerMutex> lock(m_mutex);
            if (m_options.waitForPictures)
                m_changed.Wait(lock, [&] { return m_ready || m_nothing || !m_wanted; });
            next = std::move(m_ready);
            nothing = std::exchange(m_nothing, false);
            m_changed.NotifyAll(); // the slot is free: the worker prepares the next
        }
        if (next) {
            doc.m_bih = next->bih;
            doc.m_pBits = std::move(next->bits);
            m_caption = next->caption;
        } else if (nothing) {
            if (!m_options.dir.empty() && !std::exchange(m_fellBack, true))
                std::fprintf(stderr, "mosvik: no picture in %s could be shown; showing the embedded one\n",
                             Shown(m_options.dir).c_str());
            m_caption = CString();
            if (m_embedded->bits) {
                doc.m_bih = m_embedded->bih;
                doc.m_pBits = std::make_unique<BYTE[]>(doc.m_bih.biSizeImage);
                std::memcpy(doc.m_pBits.get(), m_embedded->bits.get(), doc.m_bih.biSizeImage);
            }
        }
        // Neither: the next picture is not ready yet, and the document keeps
        // the one it has (the embedded one before the first).
    } catch (const std::exception& e) {
        // Out of memory while copying: the document keeps what it has.
        std::fprintf(stderr, "mosvik: %s\n", e.what());
    }
}
