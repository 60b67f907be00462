// A picture file from a folder opened the careful way: what the name
// points to is looked at first, and only a regular file is ever opened (a
// FIFO, device or socket is refused without being opened, so nothing can
// block); the open itself never waits and does not follow a link that was
// not one when looked at, and what was opened is checked again. Reads
// that come up short of the size seen at opening (the file shrank or went
// away) fail.
// Trade-off: on Windows, which has no FIFOs or devices in folders, the
// file is opened as a stream after the same look at its kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CPictureInput {
public:
    // PictureError naming the file when it is not there, not a regular
    // file, or cannot be opened.
    explicit CPictureInput(const std::filesystem::path& path);
    ~CPictureInput();
    CPictureInput(const CPictureInput&) = delete;
    CPictureInput& operator=(const CPictureInput&) = delete;

    const std::string& Name() const { return m_name; } // file name without folders, UTF-8
    std::uint64_t Size() const { return m_size; }      // when opened
    std::int64_t ModifiedTime() const { return m_modified; } // seconds since 1970, UTC

    // The first bytes of the file (up to n), without moving the reading position.
    std::vector<unsigned char> Head(std::size_t n);
    // Fills `buf` with the next n bytes; PictureError when the file ends
    // first or reading fails.
    void Read(void* buf, std::size_t n);
    // The whole file from its start; PictureError when it is larger than
    // `limit` or its size changed.
    std::vector<unsigned char> ReadAll(std::uint64_t limit);

private:
    std::size_t ReadSome(void* buf, std::size_t n, std::uint64_t offset);

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_name;
    std::string m_shown; // the path as messages show it
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    std::int64_t m_modified = 0;
};
