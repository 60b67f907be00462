// Pictures from the disk for the saver: `--picture FILE` or
// `--picture-dir DIR`, with the message options of mosvik-pack
// (--message, --font, --color, --bold, --italic); the saver's option table
// declares them and its reader fills PictureOptions. Pictures are read by
// mosvik_picture with the pack tool's rules (orientation, fitting, small
// pictures enlarged) straight into the picture the board uses. A folder is
// listed once per round and shuffled; each file is read only when its turn
// comes, and one that cannot be read is skipped with one line on stderr.
// When nothing can be shown the embedded picture is. Trade-off: pictures
// are decoded during the show, between cycles, not ahead of time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/document_source.h"
#include "document/message_style.h"
#include "framework/types.h"

struct PictureOptions {
    // Which fields of `message` the options gave; the others stay the document's.
    enum Given : unsigned { kText = 1, kFace = 2, kColour = 4, kBold = 8, kItalic = 16 };

    std::filesystem::path file;           // --picture
    std::filesystem::path dir;            // --picture-dir
    MessageStyle message;                 // --message, --font, --color, --bold, --italic (checked)
    unsigned given = 0;                   // Given bits

    bool Any() const;
};

class CDiskPictureSource : public IDocumentSource {
public:
    explicit CDiskPictureSource(PictureOptions options, std::uint32_t seed = std::random_device{}());
    ~CDiskPictureSource() override;
    void NextCycle(CJigsawDoc& doc) noexcept override;

private:
    bool ShowNext(CJigsawDoc& doc); // false: nothing in the folder could be read
    bool Load(const std::filesystem::path& file, CJigsawDoc& doc);

    struct Saved;
    PictureOptions m_options;
    std::unique_ptr<Saved> m_embedded; // the embedded picture, kept on first use
    std::vector<std::filesystem::path> m_queue;
    std::mt19937 m_random;
    bool m_fileTried = false;
    bool m_fellBack = false; // said once that the folder had nothing to show
};
