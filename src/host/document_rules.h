// The document viewer's rules that need no window: which kind of file a path
// names, the file URL the browser is sent to, and comma-separated text turned
// into an HTML table page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Corvane {

enum class DocumentKind { Image, Pdf, Video, Audio, Text, Word, Excel, PowerPoint, Unknown };

// The file name's extension after its last dot, ASCII lower-cased; empty when
// the file name has no dot (a dot in a folder name does not count).
std::u16string DocumentExtension(std::u16string_view path);
DocumentKind ClassifyDocument(std::u16string_view path);
// "Image", "PDF", "Video", "Audio", "Text", "Word", "Excel", "PowerPoint", "Unknown".
std::u16string_view DocumentTypeName(DocumentKind kind);
inline bool IsOfficeKind(DocumentKind kind) {
    return kind == DocumentKind::Word || kind == DocumentKind::Excel || kind == DocumentKind::PowerPoint;
}
inline bool IsBrowserKind(DocumentKind kind) { return kind <= DocumentKind::Text; }

// "file:///" and the path with forward slashes. '%', '#' and '?' are
// percent-encoded: left bare they would end the path early or be misread.
std::u16string DocumentFileUrl(std::u16string_view path);

// Files this large or larger are shown as plain text instead of a table.
constexpr std::size_t kCsvTableFileLimit = 0xA00000;
// A page handed over as a string may hold at most this many UTF-8 bytes.
constexpr std::size_t kCsvTablePageLimit = 2 * 1024 * 1024;

struct CsvTableOutcome {
    bool rendered = false;        // false: empty or too large, show the file instead
    std::size_t rows = 0;         // rows in the file, header included
    std::size_t shownRows = 0;    // rows in the page
};

// Renders CSV bytes (UTF-8, an optional byte-order mark) as one HTML page:
// quoted fields with doubled quotes, commas and line breaks inside, rows of
// any length padded to the widest, the first row as the header. Every cell is
// HTML-escaped. Rows that would take the page past kCsvTablePageLimit are left
// out and a note says how many are shown. Linear in the input.
CsvTableOutcome RenderCsvTable(std::string_view bytes, std::u16string& html);

}  // namespace Corvane
