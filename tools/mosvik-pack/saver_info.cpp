// Reading a saver's document: ReadEmbeddedDocument into a memory file, then
// the fields in stream order with CArchive. The header checks are those the
// saver makes before it allocates the picture.
#include "saver_info.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "document/container.h"
#include "document/current_user.h"
#include "document/jigsaw_doc.h"
#include "document/picture.h"
#include "pack_error.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"

namespace fs = std::filesystem;

namespace {

// Mirrors the saver's own check of the stored header.
bool HeaderUsable(const BITMAPINFOHEADER& bih)
{
    if (bih.biWidth <= 0 || bih.biHeight <= 0 || bih.biWidth > kMaxPictureSide || bih.biHeight > kMaxPictureSide ||
        bih.biBitCount != 24 || bih.biCompression != BI_RGB)
        return false;
    const std::uint64_t stride = PictureStride(bih.biWidth);
    const std::uint64_t need = stride * std::uint64_t(bih.biHeight);
    return bih.biSizeImage >= need && bih.biSizeImage <= need + stride;
}

std::string Printable(const CString& s) { return cp1252::ToUtf8(s.str()); }

} // namespace

SaverInfo ReadSaverInfo(const fs::path& saver)
{
    std::error_code ec;
    if (!fs::exists(saver, ec))
        throw PackError("saver not found: " + saver.string());
    SaverInfo info;
    CMemFile doc(1024);
    try {
        ReadEmbeddedDocument(saver.string(), &doc);
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::generic && e.m_lOsError == -1)
            throw PackError("no document in " + saver.string());
        throw PackError("cannot read " + saver.string() + ": " + e.what());
    }
    doc.Seek(0, CFile::begin);
    try {
        CArchive ar(&doc, CArchive::load);
        CString third;
        DWORD leading = 0;
        ar >> info.source >> info.title >> third;
        ar >> leading >> info.pieces >> info.streamBytes;
        CCurrentUser user;
        user.Serialize(ar);
        ar >> info.message >> info.face;
        ar >> info.color >> info.bold >> info.italic;
        DWORD spare = 0;
        ar >> spare;
        if (ar.Read(&info.bih, sizeof info.bih) != sizeof info.bih)
            AfxThrowArchiveException(CArchiveException::endOfFile);
        if (!HeaderUsable(info.bih))
            throw PackError("damaged document in " + saver.string() + ": the picture header is unusable");
        std::vector<BYTE> stream;
        constexpr std::size_t kChunk = 64 * 1024;
        while (stream.size() < info.streamBytes) {
            const std::size_t at = stream.size();
            const std::size_t want = std::min<std::size_t>(kChunk, info.streamBytes - at);
            stream.resize(at + want);
            if (ar.Read(stream.data() + at, want) != want)
                AfxThrowArchiveException(CArchiveException::endOfFile);
        }
        BYTE rest[4096];
        while (std::size_t n = ar.Read(rest, sizeof rest))
            info.trailingBytes += n;
        info.stream = ProbeJpeg(stream.data(), stream.size());
        info.streamData = std::move(stream);
    } catch (const CArchiveException& e) {
        throw PackError("damaged document in " + saver.string() + ": " + e.what());
    }
    return info;
}

void PrintSaverInfo(std::ostream& out, const SaverInfo& info)
{
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%02X%02X%02X", GetRValue(info.color), GetGValue(info.color),
                  GetBValue(info.color));
    out << "message: " << Printable(info.message) << '\n'
        << "font face: " << Printable(info.face) << '\n'
        << "colour: " << colour << '\n'
        << "bold: " << (info.bold ? "yes" : "no") << '\n'
        << "italic: " << ((info.italic & 0xFF) ? "yes" : "no") << '\n'
        << "picture: " << info.bih.biWidth << " x " << info.bih.biHeight << '\n'
        << "stream bytes: " << info.streamBytes << '\n'
        << "source: " << Printable(info.source) << '\n';
    if (!info.stream) {
        out << "stream: not a JPEG stream (the saver shows a white picture)\n";
    } else if (!IsSaverReady(*info.stream)) {
        out << "stream: not a baseline 4:2:0 JFIF stream\n";
    } else if (info.stream->width != info.bih.biWidth || info.stream->height != info.bih.biHeight) {
        out << "stream: " << info.stream->width << " x " << info.stream->height << ", does not match the header\n";
    } else {
        out << "stream: baseline JFIF, 4:2:0\n";
    }
    if (info.trailingBytes)
        out << "trailing bytes: " << info.trailingBytes << '\n';
}
