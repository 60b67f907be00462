// Pictures from the disk for the saver: `--picture FILE` or `--picture-dir
// DIR`, with the message options of mosvik-pack (--message, --font,
// --color, --bold, --italic) and `--caption`; the saver's option table
// declares them and its reader fills PictureOptions. Pictures are read by
// mosvik_picture with the pack tool's rules (orientation, fitting, small
// pictures enlarged) into the picture the board uses. A folder is walked
// (folder_walk.h) once per round and shown in the order of picture_queue.h;
// a file that cannot be shown is skipped with one line on stderr, once per
// run. When nothing can be shown the embedded picture is.
//
// Listing and decoding run on a worker thread the source owns, one picture
// ahead of the show: a cycle takes the picture that is ready at once. When
// none is ready yet the document keeps the picture it has (the embedded one
// before the first, else the one shown last); with waitForPictures (the
// headless backend, whose frames must not depend on the disk's speed) the
// cycle waits for it instead.
// Trade-off: up to two pictures are in memory, the one on the board and the
// next; a slow disk shows the same picture twice rather than making a cycle
// wait.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/document_source.h"
#include "disk_pictures/picture_queue.h"
#include "disk_pictures/worker_thread.h"
#include "document/message_style.h"
#include "framework/cstring.h"
#include "framework/types.h"

struct PictureOptions {
    // Which fields of `message` the options gave; the others stay the document's.
    enum Given : unsigned { kText = 1, kFace = 2, kColour = 4, kBold = 8, kItalic = 16 };

    std::filesystem::path file;           // --picture
    std::filesystem::path dir;            // --picture-dir
    MessageStyle message;                 // --message, --font, --color, --bold, --italic (checked)
    unsigned given = 0;                   // Given bits
    bool subfolders = true;               // a folder's subfolders are shown too
    bool caption = false;                 // --caption: each picture's date and file name in a corner
    bool waitForPictures = false;         // a cycle waits for its picture (the headless backend)
    // Which pictures of a folder this show takes, in which order: the seed,
    // this show's place and the number of shows (picture_queue.h). The
    // composition root fills it; several monitors' shows are handed their
    // parent's seed and count (--picture-order=SEED:SHOWS, orderGiven).
    PictureOrder order;
    bool orderGiven = false;

    bool Any() const;
};

class CDiskPictureSource : public IDocumentSource {
public:
    // Starts the worker at once, so the first picture is being prepared
    // while the show starts.
    explicit CDiskPictureSource(PictureOptions options);
    // Stops the worker between two files (or rows of one) and joins it.
    ~CDiskPictureSource() override;
    void NextCycle(CJigsawDoc& doc) noexcept override;
    CString Caption() const override { return m_caption; }

private:
    struct Prepared;
    void Work() noexcept;
    std::unique_ptr<Prepared> PrepareNext(); // null: nothing could be shown
    std::unique_ptr<Prepared> Prepare(const std::filesystem::path& file);
    void Report(const std::filesystem::path& file, const std::string& why); // once per file and run

    PictureOptions m_options;
    struct Saved;
    std::unique_ptr<Saved> m_embedded; // the embedded picture, kept on first use
    CString m_caption;                 // of the picture on the board
    bool m_fellBack = false;           // said once that the folder had nothing to show

    // The worker's own state.
    CPictureQueue m_queue;
    std::set<std::filesystem::path> m_reported;
    bool m_listingFullSaid = false;

    // Shared with the worker, under m_mutex.
    CWorkerMutex m_mutex;
    CWorkerCondition m_changed;
    std::unique_ptr<Prepared> m_ready; // the next picture
    bool m_nothing = false;            // the last attempt found nothing to show
    bool m_wanted = true;              // the worker should prepare one
    std::atomic<bool> m_stop{false};
    std::unique_ptr<CWorkerThread> m_worker; // last: started after everything it uses, joined first
};
