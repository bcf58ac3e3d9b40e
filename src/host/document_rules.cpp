#include "document_rules.h"

#include <algorithm>
#include <vector>

namespace Corvane {

namespace {

struct KindRow {
    std::u16string_view extension;
    DocumentKind kind;
};

constexpr KindRow kKinds[] = {
    {u"jpg", DocumentKind::Image},  {u"jpeg", DocumentKind::Image},     {u"png", DocumentKind::Image},
    {u"gif", DocumentKind::Image},  {u"bmp", DocumentKind::Image},      {u"webp", DocumentKind::Image},
    {u"svg", DocumentKind::Image},  {u"ico", DocumentKind::Image},      {u"pdf", DocumentKind::Pdf},
    {u"mp4", DocumentKind::Video},  {u"webm", DocumentKind::Video},     {u"avi", DocumentKind::Video},
    {u"mov", DocumentKind::Video},  {u"mkv", DocumentKind::Video},      {u"mp3", DocumentKind::Audio},
    {u"wav", DocumentKind::Audio},  {u"ogg", DocumentKind::Audio},      {u"flac", DocumentKind::Audio},
    {u"m4a", DocumentKind::Audio},  {u"txt", DocumentKind::Text},       {u"html", DocumentKind::Text},
    {u"htm", DocumentKind::Text},   {u"xml", DocumentKind::Text},       {u"json", DocumentKind::Text},
    {u"css", DocumentKind::Text},   {u"csv", DocumentKind::Text},       {u"doc", DocumentKind::Word},
    {u"docx", DocumentKind::Word},  {u"rtf", DocumentKind::Word},       {u"odt", DocumentKind::Word},
    {u"xls", DocumentKind::Excel},  {u"xlsx", DocumentKind::Excel},     {u"xlsm", DocumentKind::Excel},
    {u"ods", DocumentKind::Excel},  {u"ppt", DocumentKind::PowerPoint}, {u"pptx", DocumentKind::PowerPoint},
    {u"odp", DocumentKind::PowerPoint},
};

constexpr std::u16string_view kTypeNames[] = {u"Image", u"PDF",        u"Video",     u"Audio", u"Text",
                                              u"Word",  u"Excel",      u"PowerPoint", u"Unknown"};

constexpr std::u16string_view kTableHead =
    u"<!DOCTYPE html><html><head><meta charset='utf-8'><style>body{font-family:Segoe UI,Arial,sans-serif;margin:0;"
    u"padding:10px;background:#f5f5f5;}table{border-collapse:collapse;width:100%;background:#fff;box-shadow:0 1px 3px "
    u"rgba(0,0,0,0.1);}th{background:#2d3748;color:#fff;padding:10px 8px;text-align:left;font-weight:600;position:"
    u"sticky;top:0;}td{padding:8px;border-bottom:1px solid #e2e8f0;}tr:hover{background:#f7fafc;}tr:nth-child(even)"
    u"{background:#f8f9fa;}</style></head><body><table>";
constexpr std::u16string_view kTableTail = u"</table></body></html>";
// Room kept for the note on a shortened table.
constexpr std::size_t kNoteReserve = 256;

// UTF-8 to UTF-16; each byte that starts no valid sequence becomes U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            text.push_back(b);
            ++i;
            continue;
        }
        std::size_t length = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b <= 0xDF ? 2 : 0;
        if (b > 0xF4) length = 0;
        char32_t cp = length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        bool valid = length != 0 && i + length <= n;
        for (std::size_t k = 1; valid && k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (valid && ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                      (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
            valid = false;
        if (!valid) {
            text.push_back(u'\xFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return text;
}

std::size_t Utf8Size(std::u16string_view text) {
    std::size_t size = 0;
    for (char16_t c : text) size += c < 0x80 ? 1 : c < 0x800 ? 2 : (c >= 0xDC00 && c <= 0xDFFF) ? 1 : 3;
    return size;   // a surrogate pair counts 3 + 1
}

void AppendEscaped(std::u16string& out, std::u16string_view cell) {
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const char16_t c = cell[i];
        switch (c) {
            case u'&': out += u"&amp;"; break;
            case u'<': out += u"&lt;"; break;
            case u'>': out += u"&gt;"; break;
            case u'"': out += u"&quot;"; break;
            case u'\'': out += u"&#39;"; break;
            case u'\0': out += u'\xFFFD'; break;
            case u'\r':
                if (i + 1 < cell.size() && cell[i + 1] == u'\n') ++i;
                out += u"<br>";
                break;
            case u'\n': out += u"<br>"; break;
            default: out += c;
        }
    }
}

// Reads records the way spreadsheet programs write them: a quote opening a
// field quotes it up to the next lone quote (a doubled one stands for itself,
// commas and line breaks inside belong to the field); a quote inside an
// unquoted field is an ordinary character. Records end at LF, CRLF or CR.
// Lines that hold nothing at all are skipped. `onRecord` receives the
// record's fields and how many there are (the vector is reused).
template <class OnRecord>
void ReadCsv(std::u16string_view text, OnRecord onRecord) {
    std::vector<std::u16string> fields(1);
    std::size_t count = 0;       // fields finished in this record
    bool quoted = false;         // inside a quoted part
    bool fieldStarted = false;   // the field has had a character or a quote
    auto endField = [&] {
        ++count;
        if (fields.size() <= count) fields.emplace_back();
        fields[count].clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        if (count == 0 && !fieldStarted && fields[0].empty()) return;   // an empty line
        endField();
        onRecord(fields, count);
        count = 0;
        fields[0].clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        std::u16string& field = fields[count];
        if (quoted) {
            if (c != u'"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == u'"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    endRecord();
}

std::u16string Number(std::size_t n) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    } while (n);
    return digits;
}

}  // namespace

std::u16string DocumentExtension(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    const std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(u'.');
    std::u16string extension(dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1));
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return extension;
}

DocumentKind ClassifyDocument(std::u16string_view path) {
    const std::u16string extension = DocumentExtension(path);
    for (const KindRow& row : kKinds)
        if (row.extension == extension) return row.kind;
    return DocumentKind::Unknown;
}

std::u16string_view DocumentTypeName(DocumentKind kind) { return kTypeNames[static_cast<int>(kind)]; }

std::u16string DocumentFileUrl(std::u16string_view path) {
    std::u16string url = u"file:///";
    for (char16_t c : path) {
        switch (c) {
            case u'\\': url += u'/'; break;
            case u'%': url += u"%25"; break;
            case u'#': url += u"%23"; break;
            case u'?': url += u"%3F"; break;
            default: url += c;
        }
    }
    return url;
}

CsvTableOutcome RenderCsvTable(std::string_view bytes, std::u16string& html) {
    CsvTableOutcome outcome;
    html.clear();
    if (bytes.empty() || bytes.size() >= kCsvTableFileLimit) return outcome;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::u16string text = DecodeUtf8(bytes);

    // First pass: the widest row, so shorter ones can be padded.
    std::size_t columns = 0;
    ReadCsv(text, [&](const std::vector<std::u16string>&, std::size_t count) {
        columns = std::max(columns, count);
        ++outcome.rows;
    });

    html.reserve(std::min<std::size_t>(kCsvTablePageLimit, text.size() * 2 + kTableHead.size() + 64));
    html += kTableHead;
    std::size_t used = Utf8Size(kTableHead) + kTableTail.size() + kNoteReserve;
    std::u16string row;
    bool full = false;
    ReadCsv(text, [&](const std::vector<std::u16string>& fields, std::size_t count) {
        if (full) return;
        const bool header = outcome.shownRows == 0;
        const std::u16string_view open = header ? u"<th>" : u"<td>", close = header ? u"</th>" : u"</td>";
        row.assign(u"<tr>");
        for (std::size_t i = 0; i < count; ++i) {
            row += open;
            AppendEscaped(row, fields[i]);
            row += close;
        }
        if (count < columns) {
            row += header ? u"<th colspan=\"" : u"<td colspan=\"";
            row += Number(columns - count);
            row += u"\">";
            row += close;
        }
        row += u"</tr>";
        const std::size_t size = Utf8Size(row);
        if (used + size > kCsvTablePageLimit) {
            full = true;
            return;
        }
        used += size;
        html += row;
        ++outcome.shownRows;
    });
    html += u"</table>";
    if (outcome.shownRows < outcome.rows) {
        html += u"<p>Only the first ";
        html += Number(outcome.shownRows);
        html += u" of ";
        html += Number(outcome.rows);
        html += u" rows are shown: a table page holds at most 2 MB.</p>";
    }
    html += u"</body></html>";
    outcome.rendered = true;
    return outcome;
}

}  // namespace Corvane
