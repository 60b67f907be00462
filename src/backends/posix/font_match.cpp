// fontconfig queries behind CFontMatcher; patterns are held by RAII
// wrappers so that every exit path destroys them.
#include "backends/posix/font_match.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <stdexcept>

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

const FcChar8* Str(const char* s) { return reinterpret_cast<const FcChar8*>(s); }

} // namespace

CFontMatcher::CFontMatcher()
{
    if (!FcInit())
        throw std::runtime_error("fontconfig could not be initialised");
}

CFontMatcher::~CFontMatcher() = default;

const FontMatch& CFontMatcher::Match(const std::string& family, bool bold, bool italic)
{
    const auto key = std::make_tuple(family, bold, italic);
    if (auto it = m_cache.find(key); it != m_cache.end())
        return it->second;

    PatternPtr pattern(FcPatternCreate());
    if (!pattern)
        throw std::bad_alloc();
    FcPatternAddString(pattern.get(), FC_FAMILY, Str(family.empty() ? "sans-serif" : family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    PatternPtr found(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!found || FcPatternGetString(found.get(), FC_FILE, 0, &file) != FcResultMatch || !file)
        throw std::runtime_error("no font is installed (fontconfig found none for \"" + family + "\")");

    FontMatch match;
    match.file = reinterpret_cast<const char*>(file);
    int value = 0;
    if (FcPatternGetInteger(found.get(), FC_INDEX, 0, &value) == FcResultMatch)
        match.index = value;
    if (FcPatternGetInteger(found.get(), FC_WEIGHT, 0, &value) == FcResultMatch)
        match.bold = value >= FC_WEIGHT_DEMIBOLD;
    if (FcPatternGetInteger(found.get(), FC_SLANT, 0, &value) == FcResultMatch)
        match.italic = value != FC_SLANT_ROMAN;
    return m_cache.emplace(key, std::move(match)).first->second;
}
