// The CSV table page on any bytes: the page is the fixed frame around rows of
// cells, and no cell text can open a tag, an attribute or a stray entity.
#include <string>

#include "document_rules.h"
#include "fuzz_input.h"

namespace {

bool Take(const std::u16string& s, std::size_t& at, std::u16string_view part) {
    if (s.compare(at, part.size(), part) != 0) return false;
    at += part.size();
    return true;
}

// Cell text up to the next '<': only the escapes and <br> may appear.
void CheckCellText(const std::u16string& s, std::size_t& at) {
    while (at < s.size()) {
        const char16_t c = s[at];
        FUZZ_CHECK(c != u'>' && c != u'"' && c != u'\'' && c != u'\0');
        if (c == u'<') {
            if (!Take(s, at, u"<br>")) return;
            continue;
        }
        if (c == u'&') {
            FUZZ_CHECK(Take(s, at, u"&amp;") || Take(s, at, u"&lt;") || Take(s, at, u"&gt;") ||
                       Take(s, at, u"&quot;") || Take(s, at, u"&#39;"));
            continue;
        }
        ++at;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    std::u16string html;
    const CsvTableOutcome outcome =
        RenderCsvTable(std::string_view(reinterpret_cast<const char*>(data), size), html);
    if (!outcome.rendered) {
        FUZZ_CHECK(html.empty() && size == 0);
        return 0;
    }
    std::size_t at = html.find(u"<table>");
    FUZZ_CHECK(at != std::u16string::npos && html.compare(0, 15, u"<!DOCTYPE html>") == 0);
    at += 7;
    std::size_t rows = 0, width = 0;
    while (Take(html, at, u"<tr>")) {
        ++rows;
        std::size_t cells = 0;
        for (;;) {
            const bool header = rows == 1;
            if (Take(html, at, header ? u"<th>" : u"<td>")) {
                ++cells;
            } else if (Take(html, at, header ? u"<th colspan=\"" : u"<td colspan=\"")) {
                std::size_t n = 0;
                while (at < html.size() && html[at] >= u'0' && html[at] <= u'9') n = n * 10 + (html[at++] - u'0');
                FUZZ_CHECK(n > 0 && Take(html, at, u"\">"));
                cells += n;
            } else {
                break;
            }
            CheckCellText(html, at);
            FUZZ_CHECK(Take(html, at, header ? u"</th>" : u"</td>"));
        }
        FUZZ_CHECK(Take(html, at, u"</tr>") && cells > 0);
        if (rows == 1) width = cells;
        FUZZ_CHECK(cells == width);   // every row padded to the same width
    }
    FUZZ_CHECK(rows == outcome.shownRows && Take(html, at, u"</table>"));
    if (outcome.shownRows < outcome.rows) {
        FUZZ_CHECK(Take(html, at, u"<p>Only the first "));
        at = html.find(u"</p>", at);
        FUZZ_CHECK(at != std::u16string::npos);
        at += 4;
    }
    FUZZ_CHECK(Take(html, at, u"</body></html>") && at == html.size());
    return 0;
}
