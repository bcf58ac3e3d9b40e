// The CSV table page on any bytes: the fixed frame around rows of equally wide
// cells, and no cell text that could open a tag, an attribute or an entity.
#include <string>

#include "document_rules.h"
#include "fuzz_input.h"

namespace {

bool Take(const std::u16string& s, std::size_t& at, std::u16string_view part) {
    if (s.compare(at, part.size(), part) != 0) return false;
    at += part.size();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    std::u16string html;
    const CsvTableOutcome outcome = RenderCsvTable(std::string_view(reinterpret_cast<const char*>(data), size), html);
    FUZZ_CHECK(outcome.rendered == (size > 0));
    if (!outcome.rendered) return 0;
    std::size_t at = html.find(u"<table>") + 7, rows = 0, width = 0;
    FUZZ_CHECK(html.compare(0, 15, u"<!DOCTYPE html>") == 0);
    for (; Take(html, at, u"<tr>"); ++rows) {
        const bool header = rows == 0;
        std::size_t cells = 0;
        for (;;) {
            if (Take(html, at, header ? u"<th colspan=\"" : u"<td colspan=\"")) {
                std::size_t n = 0;
                while (at < html.size() && html[at] >= u'0' && html[at] <= u'9') n = n * 10 + (html[at++] - u'0');
                FUZZ_CHECK(n > 0 && Take(html, at, u"\">"));
                cells += n;
            } else if (Take(html, at, header ? u"<th>" : u"<td>")) {
                ++cells;
            } else {
                break;
            }
            // Cell text: only the escapes and <br> may stand for markup characters.
            while (at < html.size() && (html[at] != u'<' || Take(html, at, u"<br>"))) {
                const char16_t c = html[at];
                FUZZ_CHECK(c != u'>' && c != u'"' && c != u'\'' && c != u'\0');
                if (c == u'&')
                    FUZZ_CHECK(Take(html, at, u"&amp;") || Take(html, at, u"&lt;") || Take(html, at, u"&gt;") ||
                               Take(html, at, u"&quot;") || Take(html, at, u"&#39;"));
                else if (c != u'<')
                    ++at;
            }
            FUZZ_CHECK(Take(html, at, header ? u"</th>" : u"</td>"));
        }
        FUZZ_CHECK(Take(html, at, u"</tr>") && cells > 0 && (header || cells == width));
        if (header) width = cells;
    }
    FUZZ_CHECK(rows == outcome.shownRows && Take(html, at, u"</table>"));
    if (outcome.shownRows < outcome.rows) {
        FUZZ_CHECK(Take(html, at, u"<p>Only the first ") && (at = html.find(u"</p>", at)) != std::u16string::npos);
        at += 4;
    }
    FUZZ_CHECK(Take(html, at, u"</body></html>") && at == html.size());
    return 0;
}
