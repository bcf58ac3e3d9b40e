// The document viewer's portable rules: file kinds, file URLs and the CSV table page.
#include <gtest/gtest.h>

#include <string>

#include "document_rules.h"

using namespace Corvane;

namespace {

// The rows of the page's table, without the fixed head.
std::u16string Rows(std::string_view csv, CsvTableOutcome* outcome = nullptr) {
    std::u16string html;
    CsvTableOutcome result = RenderCsvTable(csv, html);
    if (outcome) *outcome = result;
    const std::size_t start = html.find(u"<table>"), end = html.rfind(u"</table>");
    if (!result.rendered || start == std::u16string::npos || end == std::u16string::npos) return u"(none)";
    return html.substr(start + 7, end - start - 7);
}

}  // namespace

TEST(DocumentKind, FollowsTheFileNamesLastExtensionInAnyCase) {
    const struct {
        std::u16string_view path, type;
    } cases[] = {
        {u"C:\\a\\Report.PDF", u"PDF"},      {u"C:\\a\\photo.JpEg", u"Image"},   {u"x.svg", u"Image"},
        {u"clip.mkv", u"Video"},             {u"song.m4a", u"Audio"},            {u"data.csv", u"Text"},
        {u"page.htm", u"Text"},              {u"C:\\d\\letter.docx", u"Word"},   {u"old.rtf", u"Word"},
        {u"book.xlsm", u"Excel"},            {u"calc.ods", u"Excel"},            {u"deck.PPTX", u"PowerPoint"},
        {u"archive.tar.gz", u"Unknown"},     {u"C:\\my.pdf\\README", u"Unknown"}, {u"C:/x.txt/notes", u"Unknown"},
        {u"trailing.", u"Unknown"},          {u"", u"Unknown"},                  {u"a.pdf.exe", u"Unknown"},
        {u".txt", u"Text"},
    };
    for (const auto& c : cases) EXPECT_EQ(DocumentTypeName(ClassifyDocument(c.path)), c.type) << c.path.size();
}

TEST(DocumentFileUrl, UsesForwardSlashesAndEncodesWhatWouldCutThePath) {
    EXPECT_EQ(DocumentFileUrl(u"C:\\Docs\\a b.txt"), u"file:///C:/Docs/a b.txt");
    EXPECT_EQ(DocumentFileUrl(u"C:\\100%\\#1?.pdf"), u"file:///C:/100%25/%231%3F.pdf");
}

TEST(CsvTable, ReadsQuotedFieldsRaggedRowsAndEscapesEveryCell) {
    const struct {
        std::string_view csv;
        std::u16string_view rows;
    } cases[] = {
        {"a,b,c\n1,\"x,y\",3\n", u"<tr><th>a</th><th>b</th><th>c</th></tr><tr><td>1</td><td>x,y</td><td>3</td></tr>"},
        // A doubled quote inside quotes is one quote; a quote inside a bare field is text.
        {"h\n\"say \"\"hi\"\"\"\n5\" disk\n", u"<tr><th>h</th></tr><tr><td>say &quot;hi&quot;</td></tr>"
                                              u"<tr><td>5&quot; disk</td></tr>"},
        // Line breaks inside quotes stay in the cell; CRLF, CR and blank lines between rows.
        {"h\r\n\"one\r\ntwo\"\r\n\r\n\rlast", u"<tr><th>h</th></tr><tr><td>one<br>two</td></tr><tr><td>last</td></tr>"},
        // A byte-order mark is not part of the first cell.
        {"\xEF\xBB\xBFid,name\n", u"<tr><th>id</th><th>name</th></tr>"},
        // Shorter rows are padded to the widest; a trailing comma is an empty last field.
        {"a\n1,2,3\n4,\n", u"<tr><th>a</th><th colspan=\"2\"></th></tr><tr><td>1</td><td>2</td><td>3</td></tr>"
                           u"<tr><td>4</td><td></td><td colspan=\"1\"></td></tr>"},
        // Markup and script in cells are text, quoted or not.
        {"<b>x</b>,\"<script>alert('&')</script>\"\n",
         u"<tr><th>&lt;b&gt;x&lt;/b&gt;</th><th>&lt;script&gt;alert(&#39;&amp;&#39;)&lt;/script&gt;</th></tr>"},
        // An unterminated quote runs to the end of the file; bad UTF-8 becomes U+FFFD.
        {"\"open,\n\xC3(", u"<tr><th>open,<br>\uFFFD(</th></tr>"},
        {"\xE2\x82\xAC,\xF0\x9F\x98\x80\n", u"<tr><th>\u20AC</th><th>\U0001F600</th></tr>"},
        {"", u"(none)"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rows(c.csv), c.rows) << c.csv;
}

TEST(CsvTable, StopsAtTheFileLimitAndShortensPagesBeyondTheStringLimit) {
    std::string exact(kCsvTableFileLimit, 'x');
    EXPECT_EQ(Rows(exact), u"(none)");
    exact.pop_back();
    // One 10 MiB cell cannot fit a page: the table keeps no row and says so.
    CsvTableOutcome outcome;
    Rows(exact, &outcome);
    EXPECT_TRUE(outcome.rendered);
    EXPECT_EQ(outcome.rows, 1u);
    EXPECT_EQ(outcome.shownRows, 0u);

    // Many small rows: as many as fit, the page within the limit in UTF-8, and the note.
    std::string many;
    for (int i = 0; i < 300000; ++i) many += "\xC3\xA9,<\n";
    std::u16string html;
    outcome = RenderCsvTable(many, html);
    EXPECT_EQ(outcome.rows, 300000u);
    EXPECT_GT(outcome.shownRows, 30000u);
    EXPECT_LT(outcome.shownRows, outcome.rows);
    std::size_t utf8 = 0;
    for (char16_t c : html) utf8 += c < 0x80 ? 1 : 2;
    EXPECT_LE(utf8, kCsvTablePageLimit);
    EXPECT_NE(html.find(u"Only the first " + std::u16string(u"")), std::u16string::npos);
    EXPECT_EQ(html.substr(html.size() - 14), u"</body></html>");
}
