// The options and CDiskPictureSource. The worker and the show meet in one
// slot under a lock: the worker fills it when it is empty and wanted, the
// show empties it at the start of a cycle. Everything the worker reads
// besides the slot (the options, the queue, the files reported) is its own
// or never changes after the worker starts. The show's rand() sequence is
// left alone: the order has its own seed.
#include "disk_pictures/disk_pictures.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
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
constexpr std::string_view kOrderOption = "--picture-order=";

// A path for a message: UTF-8 on every system (Windows' narrow form may fail).
std::string Shown(const fs::path& p)
{
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}
} // namespace

const PictureOptionEntry kPictureOptions[8] = {
    {"picture", "FILE", "show this picture (JPEG, PNG, WebP, HEIC, AVIF) instead of the embedded one"},
    {"picture-dir", "DIR", "show the pictures of DIR and its subfolders, a new one each cycle"},
    {"message", "TEXT", "closing message (UTF-8, Windows-1252 characters)"},
    {"font", "FACE", "font face of the message"},
    {"color", "#RRGGBB", "colour of the message"},
    {"bold", nullptr, "bold message"},
    {"italic", nullptr, "italic message"},
    {"caption", nullptr, "show each picture's date and file name in a corner"},
};

bool PictureOptions::Any() const
{
    return !file.empty() || !dir.empty() || given != 0 || caption;
}

std::string PictureOrderArgument(std::uint64_t seed, int shows)
{
    return std::string(kOrderOption) + std::to_string(seed) + ":" + std::to_string(shows);
}

PictureOptions ExtractPictureOptions(int& argc, char** argv)
{
    PictureOptions o;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with(kOrderOption)) {
            const std::string_view value = arg.substr(kOrderOption.size());
            const std::size_t colon = value.find(':');
            std::uint64_t seed = 0;
            int shows = 0;
            const char* end = value.data() + value.size();
            if (colon == std::string_view::npos ||
                std::from_chars(value.data(), value.data() + colon, seed).ptr != value.data() + colon ||
                std::from_chars(value.data() + colon + 1, end, shows).ptr != end || colon == 0 ||
                colon + 1 == value.size() || shows < 1 || shows > PictureOrder::kMaxShows)
                throw std::invalid_argument("bad " + std::string(arg) + " (expected SEED:SHOWS)");
            o.sharedSeed = seed;
            o.shows = shows;
            continue;
        }
        const PictureOptionEntry* match = nullptr;
        std::string value;
        for (const PictureOptionEntry& s : kPictureOptions) {
            const std::string name = "--" + std::string(s.name);
            if (arg == name || (s.metavar && arg.substr(0, name.size() + 1) == name + "=")) {
                match = &s;
                if (!s.metavar)
                    break;
                if (arg.size() > name.size())
                    value = std::string(arg.substr(name.size() + 1));
                else if (i + 1 < argc)
                    value = argv[++i];
                else
                    throw std::invalid_argument(name + " needs " + s.metavar);
                break;
            }
        }
        if (!match) {
            argv[kept++] = argv[i];
            continue;
        }
        const std::string name = match->name;
        std::error_code ec;
        if (name == "picture") {
            if (value.empty() || fs::is_directory(value, ec))
                throw std::invalid_argument("--picture needs a picture file, not a directory: \"" + value + "\"");
            o.file = value;
        } else if (name == "picture-dir") {
            if (!fs::is_directory(value, ec))
                throw std::invalid_argument("--picture-dir needs a directory: \"" + value + "\"");
            o.dir = value;
        } else if (name == "message") {
            o.message.text = ToStoredText(value, "the message", true);
            o.given |= PictureOptions::kText;
        } else if (name == "font") {
            o.message.face = ToStoredFace(value);
            o.given |= PictureOptions::kFace;
        } else if (name == "color") {
            o.message.colour = ParseColour(value);
            o.given |= PictureOptions::kColour;
        } else if (name == "bold") {
            o.message.bold = 1;
            o.given |= PictureOptions::kBold;
        } else if (name == "italic") {
            o.message.italic = 1;
            o.given |= PictureOptions::kItalic;
        } else {
            o.caption = true;
        }
    }
    if (!o.file.empty() && !o.dir.empty())
        throw std::invalid_argument("--picture and --picture-dir cannot be used together");
    argc = kept;
    argv[argc] = nullptr;
    return o;
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

CDiskPictureSource::CDiskPictureSource(PictureOptions options, PictureOrder order)
    : m_options(std::move(options)), m_queue(order)
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
