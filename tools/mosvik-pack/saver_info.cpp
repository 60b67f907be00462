// Reading a saver's document: ReadEmbeddedDocument into a memory file, then
// the fields in stream order with CArchive. The header is checked by the
// saver's own CheckPictureHeader before anything is allocated from it.
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
#include "pack_options.h"
#include "framework/archive.h"
#include "framework/exceptions.h"
#include "framework/file.h"

namespace fs = std::filesystem;

namespace {

// UTF-8 with control characters (C0, DEL, C1) and backslashes escaped, so
// that a saver's texts cannot drive the terminal that shows them.
std::string Printable(const CString& s)
{
    const std::string utf8 = cp1252::ToUtf8(s.str());
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned code = c;
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0)
            code = static_cast<unsigned char>(utf8[++i]); // U+0080..U+009F
        else if (c >= 0x20 && c != 0x7F && c != '\\') {
            out += char(c);
            continue;
        }
        if (code == '\\' || code == '\n' || code == '\r' || code == '\t') {
            out += '\\';
            out += code == '\\' ? '\\' : code == '\n' ? 'n' : code == '\r' ? 'r' : 't';
            continue;
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", code);
        out += hex;
    }
    return out;
}

} // namespace

SaverInfo ReadSaverInfo(const fs::path& saver)
{
    std::error_code ec;
    if (!fs::exists(saver, ec))
        throw PackError("saver not found: " + saver.string());
    if (fs::is_directory(saver, ec))
        throw PackError("saver is a directory: " + saver.string());
    SaverInfo info;
    CMemFile doc(1024);
    try {
        ReadEmbeddedDocument(Utf8FromPath(saver), &doc); // CFile takes UTF-8 names everywhere
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
        DWORD spare = 0;
        ar >> info.message >> spare;
        if (ar.Read(&info.bih, sizeof info.bih) != sizeof info.bih)
            AfxThrowArchiveException(CArchiveException::endOfFile);
        try {
            CheckPictureHeader(info.bih); // the saver's own check
        } catch (const CArchiveException&) {
            throw PackError("damaged document in " + saver.string() + ": the picture header is unusable");
        }
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
    const MessageStyle& m = info.message;
    std::snprintf(colour, sizeof colour, "#%02X%02X%02X", GetRValue(m.colour), GetGValue(m.colour),
                  GetBValue(m.colour));
    out << "message: " << Printable(m.text) << '\n'
        << "font face: " << Printable(m.face) << '\n'
        << "colour: " << colour << '\n'
        << "bold: " << (m.bold ? "yes" : "no") << '\n'
        << "italic: " << ((m.italic & 0xFF) ? "yes" : "no") << '\n'
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
