// Finding a font file for a face name with fontconfig, the way the
// desktop does: the named family when it is installed, otherwise
// fontconfig's best substitute (Arial resolves to Liberation Sans, an
// unknown name to the default sans-serif face). Only outline fonts are
// asked for, so every size can be scaled.
#pragma once

#include <map>
#include <string>
#include <tuple>

struct FontMatch {
    std::string file; // path of the font file
    int index = 0;    // face index inside the file
    bool bold = false;   // the face itself is bold (no emboldening needed)
    bool italic = false; // the face itself is italic or oblique
};

class CFontMatcher {
public:
    CFontMatcher();  // initialises fontconfig; throws std::runtime_error when it cannot
    ~CFontMatcher(); // fontconfig's global state is left for the process
    CFontMatcher(const CFontMatcher&) = delete;
    CFontMatcher& operator=(const CFontMatcher&) = delete;

    // Best face for the family (UTF-8; empty means sans-serif). Throws
    // std::runtime_error when no outline font is installed at all.
    const FontMatch& Match(const std::string& family, bool bold, bool italic);

private:
    std::map<std::tuple<std::string, bool, bool>, FontMatch> m_cache;
};
