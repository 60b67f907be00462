// Output through CReplacementFile (exclusive temporary file, rename). The
// saver check reads only headers and searches for the signature: nothing
// of the file is run.
#include "saver_file.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "document/container.h"
#include "pack_error.h"
#include "picture_source.h"
#include "framework/replace_file.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

namespace {

bool HasProgramHeader(const std::vector<BYTE>& f)
{
    if (f.size() >= 4 && std::memcmp(f.data(), "\x7F" "ELF", 4) == 0)
        return true;
    // MZ stub, then e_lfanew at 0x3C pointing to "PE\0\0".
    if (f.size() < 0x40 || f[0] != 'M' || f[1] != 'Z')
        return false;
    const std::size_t pe = std::size_t(f[0x3C]) | std::size_t(f[0x3D]) << 8 | std::size_t(f[0x3E]) << 16 |
                           std::size_t(f[0x3F]) << 24;
    return pe <= f.size() - 4 && std::memcmp(f.data() + pe, "PE\0\0", 4) == 0;
}

} // namespace

std::size_t ExecutableLength(const std::vector<BYTE>& saver)
{
    const std::string marker = ContainerMarker();
    if (saver.size() <= 1)
        return saver.size();
    auto it = std::search(saver.begin() + 1, saver.end(), marker.begin(), marker.end());
    return std::size_t(it - saver.begin());
}

bool IsSaverProgram(const std::vector<BYTE>& file)
{
    std::string signature = MOSVIK_SIGNATURE_HEAD;
    signature += MOSVIK_SIGNATURE_TAIL;
    const auto end = file.begin() + std::ptrdiff_t(ExecutableLength(file));
    return HasProgramHeader(file) && std::search(file.begin(), end, signature.begin(), signature.end()) != end;
}

void CheckOutput(const fs::path& out, const fs::path* picture)
{
    CheckReplaceable(out, "output");
    std::error_code ec;
    if (picture && fs::equivalent(out, *picture, ec))
        throw PackError("output " + out.string() + " is the input picture " + picture->string() +
                        "; the picture would be lost (choose another output)");
}

void WriteSaver(const fs::path& saver, const fs::path& out, const std::vector<BYTE>& document)
{
    const std::vector<BYTE> image = ReadWholeFile(saver, kMaxSaverBytes, "saver executable");
    if (!IsSaverProgram(image))
        throw PackError("not a Mosvik saver program: " + saver.string() + " (use build/mosvik or mosvik.scr)");
    CReplacementFile file(out, "output"); // ReplaceFileError names the output and the reason
    file.Write(image.data(), ExecutableLength(image));
    const std::string marker = ContainerMarker();
    file.Write(marker.data(), marker.size());
    const BYTE separator = 0;
    file.Write(&separator, 1);
    file.Write(document.data(), document.size());
    file.Commit(true);
}
