// The document viewer's portable rules: file kinds, file URLs and the CSV table page.
#include <gtest/gtest.h>

#include <string>

#include "document_rules.h"

using namespace Corvane;

namespace {

// The rows of the page's table, without the fixed head.
std::u16string Rows(std::string_view csv) {
    std::u16string html;
    if (!RenderCsvTable(csv, html).rendered) return u"(none)";
    const std::size_t start = html.find(u"<table>") + 7;
    return html.substr(start, html.rfind(u"</table>") - start);
}

}  // namespace

TEST(DocumentKind, FollowsTheFileNamesLastExtensionInAnyCase) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"C:\\a\\Report.PDF", u"PDF"}, {u"photo.JpEg", u"Image"},     {u"clip.mkv", u"Video"},
        {u"song.m4a", u"Audio"},        {u"data.csv", u"Text"},        {u"C:\\d\\letter.docx", u"Word"},
        {u"book.xlsm", u"Excel"},       {u"deck.PPTX", u"PowerPoint"}, {u"archive.tar.gz", u"Unknown"},
        {u"C:\\my.pdf\\README", u"Unknown"}, {u"trailing.", u"Unknown"}, {u"", u"Unknown"},
    };
    for (const auto& [path, type] : cases) EXPECT_EQ(DocumentTypeName(ClassifyDocument(path)), type);
    EXPECT_EQ(DocumentFileUrl(u"C:\\100%\\#1?.pdf"), u"file:///C:/100%25/%231%3F.pdf");
}

TEST(CsvTable, ReadsQuotedFieldsRaggedRowsAndEscapesEveryCell) {
    const std::string tooLarge(kCsvTableFileLimit, 'x');
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"a,b,c\n1,\"x,y\",3\n", u"<tr><th>a</th><th>b</th><th>c</th></tr><tr><td>1</td><td>x,y</td><td>3</td></tr>"},
        // A doubled quote inside quotes is one quote; a quote inside a bare field is text.
        {"h\n\"say \"\"hi\"\"\"\n5\" disk\n",
         u"<tr><th>h</th></tr><tr><td>say &quot;hi&quot;</td></tr><tr><td>5&quot; disk</td></tr>"},
        // Line breaks inside quotes stay in the cell; CRLF, CR and blank lines between rows.
        {"h\r\n\"one\r\ntwo\"\r\n\r\n\rlast", u"<tr><th>h</th></tr><tr><td>one<br>two</td></tr><tr><td>last</td></tr>"},
        {"\xEF\xBB\xBFid,name\n", u"<tr><th>id</th><th>name</th></tr>"},
        // Shorter rows are padded to the widest; a trailing comma is an empty last field.
        {"a\n1,2,3\n4,\n", u"<tr><th>a</th><th colspan=\"2\"></th></tr><tr><td>1</td><td>2</td><td>3</td></tr>"
                           u"<tr><td>4</td><td></td><td colspan=\"1\"></td></tr>"},
        {"<b>x</b>,\"<script>alert('&')</script>\"\n",
         u"<tr><th>&lt;b&gt;x&lt;/b&gt;</th><th>&lt;script&gt;alert(&#39;&amp;&#39;)&lt;/script&gt;</th></tr>"},
        // An unterminated quote runs to the end of the file; bad UTF-8 becomes U+FFFD.
        {"\"open,\n\xC3(", u"<tr><th>open,<br>\uFFFD(</th></tr>"},
        {"\xE2\x82\xAC,\xF0\x9F\x98\x80\n", u"<tr><th>\u20AC</th><th>\U0001F600</th></tr>"},
        {"", u"(none)"},
        {tooLarge, u"(none)"},
    };
    for (const auto& [csv, rows] : cases) EXPECT_EQ(Rows(csv), rows) << csv.substr(0, 40);
}

TEST(CsvTable, PagesBeyondTheStringLimitKeepTheirFirstRowsAndSaySo) {
    std::string many;
    for (int i = 0; i < 300000; ++i) many += "\xC3\xA9,<\n";
    std::u16string html;
    const CsvTableOutcome outcome = RenderCsvTable(many, html);
    EXPECT_EQ(outcome.rows, 300000u);
    EXPECT_GT(outcome.shownRows, 30000u);
    EXPECT_LT(outcome.shownRows, outcome.rows);
    std::size_t utf8 = 0;
    for (char16_t c : html) utf8 += c < 0x80 ? 1 : 2;
    EXPECT_LE(utf8, kCsvTablePageLimit);
    EXPECT_NE(html.find(u"</table><p>Only the first "), std::u16string::npos);
    // One cell of almost 10 MiB: a page with no row and the note.
    const CsvTableOutcome huge = RenderCsvTable(std::string(kCsvTableFileLimit - 1, 'x'), html);
    EXPECT_TRUE(huge.rendered && huge.shownRows == 0 && huge.rows == 1);
}
