// The embedded container: the document follows the last copy of the marker
// "AutoplayTovin" and one separator byte, up to the end of the executable.
#pragma once

#include <cstddef>
#include <string>

class CFile;

// The marker text, spelt out at run time: the program never holds it
// verbatim, so a saver with nothing appended cannot find its own key.
std::string ContainerMarker();

// The file is scanned from its end in windows of this many bytes (each
// overlapping the next by the marker's length), so only the document and
// one window are ever held, never the whole program.
constexpr std::size_t kContainerScanWindow = 64 * 1024;

// Copies the document behind the last marker in `exePath` into `dest` (one
// write). Throws CFileException(generic, -1) when there is no marker, and
// the file's own exception when it cannot be opened or read.
void ReadEmbeddedDocument(const std::string& exePath, CFile* dest);

// The backward scan over a file image: the position of the last marker
// (positions L - m down to 1; 0 is never tested), or npos.
std::size_t FindLastMarker(const unsigned char* data, std::size_t length, const std::string& marker);
