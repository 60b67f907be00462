// Replacing a file safely: the new content goes into a temporary file in
// the target's folder, created exclusively under an unpredictable name
// (so a link or file planted there is never followed or reused), and is
// renamed over the target only when it is complete. Only regular files
// are replaced; a directory, device, FIFO, socket or symbolic link at the
// target is refused. Trade-off: the temporary file needs room beside the
// target, and the rename gives the target a new inode (hard links to the
// old file keep the old content).
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

// A file that cannot be replaced or written. what() is one line naming
// the file and the reason.
class ReplaceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ReplaceFileError when `target` exists and is not a regular file
// (a link is refused, whatever it points to). `what` names the file in
// the message ("output", "recording").
void CheckReplaceable(const std::filesystem::path& target, const std::string& what);

class CReplacementFile {
public:
    // Checks the target and creates the temporary file beside it; throws
    // ReplaceFileError with the system's reason when it cannot.
    CReplacementFile(const std::filesystem::path& target, const std::string& what);
    ~CReplacementFile(); // removes the temporary file unless committed
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    void Write(const void* data, std::size_t size);
    // Closes the file, gives it the run bits where its read bits are set
    // when `executable` (the permissions then follow the umask as for any
    // new program), and renames it over the target.
    void Commit(bool executable = false);

    const std::filesystem::path& Target() const { return m_target; }

private:
    struct Handle;
    std::filesystem::path m_target, m_temp;
    std::string m_what;
    std::unique_ptr<Handle> m_file;
    bool m_committed = false;

    [[noreturn]] void Fail(const std::string& action) const;
};
