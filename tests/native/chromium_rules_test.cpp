// The Chromium runtime's portable rules: DevTools error text to web error
// status, a RemoteObject to the JSON a script result is reported with, where
// a browser is looked for, and what a virtual host's folder may serve.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "json_document.h"
#include "portable/browser_search.h"
#include "portable/print_rules.h"
#include "portable/remote_object_json.h"
#include "portable/virtual_host_rules.h"
#include "portable/web_error_status.h"

using namespace Corvane;
using namespace Corvane::Chromium;

namespace {

TEST(WebErrorStatus, ErrorTextMapsToTheRuntimeStatus) {
    const std::pair<std::u16string_view, WebErrorStatus> cases[] = {
        {u"net::ERR_NAME_NOT_RESOLVED", WebErrorStatus::HostNameNotResolved},
        {u"net::ERR_CONNECTION_REFUSED", WebErrorStatus::CannotConnect},
        {u"net::ERR_UNSAFE_PORT", WebErrorStatus::CannotConnect},
        {u"net::ERR_ABORTED", WebErrorStatus::OperationCanceled},
        {u"net::ERR_CERT_DATE_INVALID", WebErrorStatus::CertificateExpired},
        {u"net::ERR_CERT_AUTHORITY_INVALID", WebErrorStatus::CertificateIsInvalid},   // the CERT_ family
        {u"net::ERR_CERT_COMMON_NAME_INVALID", WebErrorStatus::CertificateCommonNameIsIncorrect},
        {u"net::ERR_CONNECTION_TIMED_OUT", WebErrorStatus::Timeout},
        {u"net::ERR_TIMED_OUT", WebErrorStatus::Timeout},
        {u"net::ERR_EMPTY_RESPONSE", WebErrorStatus::ErrorHttpInvalidServerResponse},
        {u"net::ERR_TOO_MANY_REDIRECTS", WebErrorStatus::RedirectFailed},
        {u"net::ERR_PROXY_AUTH_REQUESTED", WebErrorStatus::ValidProxyAuthenticationRequired},
        {u"ERR_CONNECTION_RESET", WebErrorStatus::ConnectionReset},                   // no prefix
        {u"net::ERR_CONNECTION_RESET_BY_PEER", WebErrorStatus::Unknown},              // no prefix matching
        {u"net::ERR_ABORTED_", WebErrorStatus::Unknown},
        {u"net::ERR_FAILED", WebErrorStatus::Unknown},
        {u"", WebErrorStatus::Unknown},
        {u"net::CERT_REVOKED", WebErrorStatus::Unknown},                               // not an ERR_ code
    };
    for (const auto& [text, status] : cases)
        EXPECT_EQ(WebErrorStatusFromErrorText(text), status) << std::string(text.begin(), text.end());
}

// The RemoteObject as DevTools sends it, and the result's JSON; "*" marks an
// object that must be stringified in the page.
TEST(RemoteObjectJson, PrimitivesAreEncodedLikeStringify) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {uR"({"type":"number","value":2,"description":"2"})", u"2"},
        {uR"({"type":"number","value":0.30000000000000004,"description":"0.30000000000000004"})", u"0.30000000000000004"},
        {uR"({"type":"number","value":1e21,"description":"1e+21"})", u"1e+21"},
        {uR"({"type":"number","unserializableValue":"NaN","description":"NaN"})", u"null"},
        {uR"({"type":"number","unserializableValue":"-Infinity","description":"-Infinity"})", u"null"},
        {uR"({"type":"number","unserializableValue":"-0","description":"-0"})", u"0"},
        {uR"({"type":"string","value":"a\"b\\c\n\u0001"})", uR"("a\"b\\c\n\u0001")"},
        {u"{\"type\":\"string\",\"value\":\"\u00e9\U0001F600\"}", u"\"\u00e9\U0001F600\""},
        {uR"({"type":"string","value":"\ud800x"})", uR"("\ud800x")"},     // a lone surrogate is escaped
        {uR"({"type":"boolean","value":false})", u"false"},
        {uR"({"type":"undefined"})", u"null"},
        {uR"({"type":"object","subtype":"null","value":null})", u"null"},
        {uR"({"type":"function","objectId":"1.2","className":"Function"})", u"null"},
        {uR"({"type":"bigint","unserializableValue":"1n"})", u"null"},
        {uR"({"type":"symbol","objectId":"1.3"})", u"null"},
        {uR"({"type":"object","objectId":"1.4","className":"Object"})", u"*"},
        {uR"({"type":"object","subtype":"array","objectId":"1.5"})", u"*"},
        // An object literal of primitives, from its shallow deep serialization.
        {uR"({"type":"object","className":"Object","objectId":"1.6","deepSerializedValue":{"type":"object","value":[
            ["a\"",{"type":"string","value":"\ud800\u2028"}],["u",{"type":"undefined"}],["n",{"type":"null"}],
            ["i",{"type":"number","value":-7}],["d",{"type":"number","value":1.2345678901234568e+20}],
            ["e",{"type":"number","value":1.5e-7}],["f",{"type":"number","value":0.000001}],
            ["z",{"type":"number","value":"-0"}],["x",{"type":"number","value":"NaN"}],["b",{"type":"boolean","value":true}]]}})",
         u"{\"a\\\"\":\"\\ud800\u2028\",\"n\":null,\"i\":-7,\"d\":123456789012345680000,\"e\":1.5e-7,"
         u"\"f\":0.000001,\"z\":0,\"x\":null,\"b\":true}"},
        {uR"({"type":"object","className":"Object","objectId":"1.7","deepSerializedValue":{"type":"object","value":[
            ["u",{"type":"undefined"}],["big",{"type":"number","value":1e21}],["m",{"type":"number","value":-2.5}]]}})",
         u"{\"big\":1e+21,\"m\":-2.5}"},
        // Nested values, functions, dates, other classes and proxies are stringified in the page.
        {uR"({"type":"object","className":"Object","objectId":"1.8","deepSerializedValue":{"type":"object","value":[["o",{"type":"object"}]]}})", u"*"},
        {uR"({"type":"object","className":"Object","objectId":"1.9","deepSerializedValue":{"type":"object","value":[["toJSON",{"type":"function"}]]}})", u"*"},
        {uR"({"type":"object","className":"Object","objectId":"1.10","deepSerializedValue":{"type":"object","value":[["d",{"type":"date","value":"1970-01-01T00:00:00.000Z"}]]}})", u"*"},
        {uR"({"type":"object","className":"Moment","objectId":"1.11","deepSerializedValue":{"type":"object","value":[]}})", u"*"},
        {uR"({"type":"object","subtype":"proxy","className":"Object","objectId":"1.12","deepSerializedValue":{"type":"proxy"}})", u"*"},
    };
    for (const auto& [remote, expected] : cases) {
        std::unique_ptr<JsonDocument> document;
        std::u16string error, json;
        ASSERT_TRUE(ParseDocument(remote, 1 << 20, document, error));
        const RemoteEncoding encoding = RemoteObjectJson(document->Root(), json);
        if (expected == u"*") {
            EXPECT_EQ(encoding, RemoteEncoding::NeedsStringify);
            EXPECT_EQ(json, u"");
        } else {
            EXPECT_EQ(encoding, RemoteEncoding::Encoded);
            EXPECT_EQ(json, expected) << std::string(remote.begin(), remote.end());
        }
    }
}

TEST(BrowserSearch, CandidatesComeInOrderAndANamedPlaceIsTheOnlyOne) {
    SearchPlaces machine;
    machine.underWine = true;
    machine.programFiles = u"C:\\Program Files";
    machine.localAppData = u"C:\\Users\\u\\AppData\\Local";
    const std::vector<std::u16string> everywhere = {
        u"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
        u"C:\\Program Files\\Microsoft\\Edge\\Application\\msedge.exe",
        u"C:\\Program Files\\Chromium\\Application\\chrome.exe",
        u"C:\\Users\\u\\AppData\\Local\\Google\\Chrome\\Application\\chrome.exe",
        u"C:\\Users\\u\\AppData\\Local\\Microsoft\\Edge\\Application\\msedge.exe",
        u"C:\\Users\\u\\AppData\\Local\\Chromium\\Application\\chrome.exe",
        u"/usr/bin/chromium",
        u"/usr/bin/chromium-browser",
    };
    EXPECT_EQ(BrowserCandidates(machine), everywhere);

    SearchPlaces windows = machine;
    windows.underWine = false;
    EXPECT_EQ(BrowserCandidates(windows).size(), 6u);   // no Unix places outside Wine

    SearchPlaces variable = machine;
    variable.variable = u"/opt/chrome/chrome";
    EXPECT_EQ(BrowserCandidates(variable).front(), u"/opt/chrome/chrome");
    EXPECT_EQ(BrowserCandidates(variable).back(), u"/opt/chrome/chrome/google-chrome");

    SearchPlaces folder = variable;
    folder.executableFolder = u"D:\\Browsers\\Edge\\";
    EXPECT_EQ(BrowserCandidates(folder), (std::vector<std::u16string>{u"D:\\Browsers\\Edge\\chrome.exe",
                                                                      u"D:\\Browsers\\Edge\\msedge.exe",
                                                                      u"D:\\Browsers\\Edge\\chromium.exe"}));
    folder.executableFolder = u"/usr/lib/chromium";   // a folder or a program: the file decides
    EXPECT_EQ(BrowserCandidates(folder).front(), u"/usr/lib/chromium");
    EXPECT_EQ(BrowserCandidates(folder).at(1), u"/usr/lib/chromium/chromium");
    folder.executableFolder = u"C:\\Chrome\\chrome.exe";
    EXPECT_EQ(BrowserCandidates(folder), std::vector<std::u16string>{u"C:\\Chrome\\chrome.exe"});
}

TEST(BrowserSearch, VersionIsReadFromTheVersionOutput) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"Chromium 156.0.8078.129 built on Debian GNU/Linux 12 (bookworm)\n", u"156.0.8078.129"},
        {u"Google Chrome 120.0.6099.109 \n", u"120.0.6099.109"},
        {u"x86_64 build 12 Chromium 99.1", u"99.1"},   // digits inside a word and without a dot are skipped
        {u"Chromium", u""},
        {u"", u""},
    };
    for (const auto& [output, version] : cases)
        EXPECT_EQ(VersionFromVersionOutput(output), version) << std::string(output.begin(), output.end());
}

TEST(BrowserSearch, HostSwitchesFollowOursAndFeatureListsMerge) {
    const std::vector<std::u16string> plain = BrowserSwitches(u"");
    EXPECT_EQ(plain.back(), u"--disable-features=WebUIOmniboxPopup,WebUIOmniboxAimPopup");
    const std::vector<std::u16string> host =
        BrowserSwitches(u"--lang=de \"--user-agent=A B\" --disable-features=Foo --disable-features= --disable-features=Bar");
    EXPECT_EQ(std::vector<std::u16string>(host.end() - 3, host.end()),
              (std::vector<std::u16string>{u"--lang=de", u"--user-agent=A B",
                                           u"--disable-features=WebUIOmniboxPopup,WebUIOmniboxAimPopup,Foo,Bar"}));
    EXPECT_EQ(host.size(), plain.size() + 2);
}

// A URL path and the file it names inside the mapped folder; "403" and "404"
// mark refusals. Nothing here may leave the folder.
TEST(VirtualHost, PathsNeverLeaveTheFolder) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"/index.html", u"index.html"}, {u"/", u"index.html"}, {u"/css/site.css?v=2#top", u"css/site.css"},
        {u"/a%20b/%C3%A9t%C3%A9.txt", u"a b/\u00e9t\u00e9.txt"}, {u"/%F0%9F%98%80.png", u"\U0001F600.png"},
        {u"/docs/", u"docs/index.html"}, {u"/..%2Foutside.txt", u"403"}, {u"/../outside.txt", u"403"},
        {u"/a/../../outside.txt", u"403"}, {u"/%2e%2e/outside.txt", u"403"}, {u"/%2E%2E/outside.txt", u"403"},
        {u"/.%2e/outside.txt", u"403"}, {u"/%2e%2e%2foutside.txt", u"403"}, {u"/%2e%2e%5coutside.txt", u"403"},
        {u"/..%5c..%5coutside.txt", u"403"}, {u"/a\\..\\..\\outside.txt", u"403"}, {u"/./index.html", u"403"},
        {u"/.../x", u"403"}, {u"/..%20/x", u"403"}, {u"/x./", u"403"}, {u"/C:/Windows/win.ini", u"403"},
        {u"/C%3A%5CWindows%5Cwin.ini", u"403"}, {u"/%2fetc/passwd", u"403"}, {u"//server/share/file", u"403"},
        {u"/%5c%5cserver%5cshare", u"403"}, {u"/\\\\server\\share", u"403"}, {u"/index.html%00.png", u"403"},
        {u"/index.html%0a", u"403"}, {u"/file.txt::$DATA", u"403"}, {u"/CON", u"403"}, {u"/sub/nul.txt", u"403"},
        {u"/com1.log", u"403"}, {u"/a*.txt", u"403"}, {u"/%3F", u"403"}, {u"/%zz.txt", u"403"},
        {u"/%C0%AE%C0%AE/outside.txt", u"403"},   // overlong UTF-8 dots
        {u"/%ED%A0%80.txt", u"403"},              // an encoded surrogate
        {u"/%E2%82", u"403"}, {u"no-slash", u"403"},
    };
    for (const auto& [path, expected] : cases) {
        std::u16string relative;
        const PathVerdict verdict = ResolveVirtualPath(path, relative);
        const std::u16string got = verdict == PathVerdict::File ? relative
                                   : verdict == PathVerdict::Forbidden ? u"403" : u"404";
        EXPECT_EQ(got, expected) << std::string(path.begin(), path.end());
    }
    std::u16string relative;
    EXPECT_EQ(ResolveVirtualPath(u"/" + std::u16string(1100, u'a'), relative), PathVerdict::NotFound);
}

TEST(VirtualHost, UrlsHostsTypesAndOrigins) {
    const std::pair<std::u16string_view, std::u16string_view> urls[] = {
        {u"https://App.Example/a?b", u"https|app.example|/a?b"},
        {u"http://app.example", u"http|app.example|/"},
        {u"https://app.example:8443/", u"-"},   // other ports are not the mapping's
        {u"https://user@app.example/", u"-"},
        {u"ftp://app.example/", u"-"},
        {u"data:text/html,x", u"-"},
    };
    for (const auto& [url, expected] : urls) {
        HttpUrlPieces pieces;
        const std::u16string got = SplitHttpUrl(url, pieces) ? pieces.scheme + u"|" + pieces.host + u"|" + pieces.path : u"-";
        EXPECT_EQ(got, expected) << std::string(url.begin(), url.end());
    }
    EXPECT_EQ(OriginOf(u"https://App.example/x?y"), u"https://app.example");
    EXPECT_EQ(OriginOf(u"http://127.0.0.1:81/"), u"http://127.0.0.1:81");
    EXPECT_EQ(OriginOf(u"about:blank"), u"");
    for (std::u16string_view bad : {u"", u"a b", u"a*", u"a/b", u"a:1", u".a", u"\u00e9.x"})
        EXPECT_FALSE(IsValidVirtualHostName(bad)) << std::string(bad.begin(), bad.end());
    EXPECT_TRUE(IsValidVirtualHostName(u"App-assets_1.example"));

    const std::pair<std::u16string_view, std::u16string_view> types[] = {
        {u"index.HTML", u"text/html"}, {u"a/site.css", u"text/css"}, {u"m.mjs", u"text/javascript"},
        {u"d.json", u"application/json"}, {u"i.svg", u"image/svg+xml"}, {u"p.jpeg", u"image/jpeg"},
        {u"v.webm", u"video/webm"}, {u"s.mp3", u"audio/mpeg"}, {u"f.woff2", u"font/woff2"},
        {u"x.exe", u"application/octet-stream"}, {u".css", u"application/octet-stream"},
        {u"css", u"application/octet-stream"}, {u"dir.css/file", u"application/octet-stream"},
    };
    for (const auto& [name, type] : types) EXPECT_EQ(ContentTypeFor(name), type) << std::string(name.begin(), name.end());
}

// A Range header against a 1000-byte file: "first-last", "whole" or "416".
TEST(VirtualHost, ByteRanges) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"", u"whole"},
        {u"bytes=0-99", u"0-99"},
        {u"bytes=990-", u"990-999"},
        {u"bytes=-10", u"990-999"},
        {u"bytes=-5000", u"0-999"},
        {u"bytes=500-5000", u"500-999"},
        {u"Bytes = 1-1", u"1-1"},
        {u"bytes=1000-", u"416"},
        {u"bytes=5-4", u"416"},
        {u"bytes=-0", u"416"},
        {u"bytes=-", u"416"},
        {u"bytes=0-1,5-6", u"416"},
        {u"bytes=a-b", u"416"},
        {u"items=0-1", u"416"},
        {u"bytes=99999999999999999999-", u"416"},
    };
    for (const auto& [header, expected] : cases) {
        std::uint64_t first = 7, last = 7;
        const RangeVerdict verdict = ParseByteRange(header, 1000, first, last);
        const std::string got = verdict == RangeVerdict::Whole           ? "whole"
                                : verdict == RangeVerdict::Unsatisfiable ? "416"
                                    : std::to_string(first) + "-" + std::to_string(last);
        EXPECT_EQ(std::u16string(got.begin(), got.end()), expected) << std::string(header.begin(), header.end());
    }
    std::uint64_t first = 0, last = 0;
    EXPECT_EQ(ParseByteRange(u"bytes=0-", 0, first, last), RangeVerdict::Unsatisfiable);   // an empty file
}

TEST(VirtualHost, AccessKindsBecomeCorsAnswers) {
    const std::u16string_view host = u"https://app.example";
    const struct { int kind; std::u16string_view requester; bool document, refused; std::u16string_view allow; } cases[] = {
        {1, u"https://other.example", false, false, u"*"},
        {1, u"", false, false, u"*"},
        {0, u"https://app.example", false, false, u""},
        {0, u"https://APP.example", false, false, u""},
        {0, u"https://other.example", false, true, u""},
        {0, u"http://app.example", false, true, u""},   // another scheme is another origin
        {0, u"null", false, true, u""},
        {0, u"", false, true, u""},
        {0, u"https://other.example", true, false, u""},   // a navigation to the host
        {2, u"https://other.example", false, false, u""},
    };
    for (const auto& c : cases) {
        const CorsAnswer answer = VirtualHostCors(c.kind, c.requester, host, c.document);
        EXPECT_EQ(answer.refused, c.refused) << c.kind << std::string(c.requester.begin(), c.requester.end());
        EXPECT_EQ(answer.allowOrigin, c.allow) << c.kind;
    }
    const unsigned char bytes[] = {'M', 'a', 'n', 0xFF};
    EXPECT_EQ(Base64(bytes, 1), u"TQ==");
    EXPECT_EQ(Base64(bytes, 2), u"TWE=");
    EXPECT_EQ(Base64(bytes, 4), u"TWFu/w==");
}

struct PdfCase {
    const char* name;
    PdfSettings settings;
    const char16_t* expected;   // a piece of the parameters, or null: refused
};

TEST(PrintRules, SettingsBecomePrintToPdfParametersOrAreRefused) {
    auto with = [](auto change) {
        PdfSettings s;
        change(s);
        return s;
    };
    const PdfCase cases[] = {
        {"defaults", PdfSettings{}, u"{\"landscape\":false,\"scale\":1,\"paperWidth\":8.5,\"paperHeight\":11,"
                                    u"\"marginTop\":0.4,\"marginBottom\":0.4,\"marginLeft\":0.4,\"marginRight\":0.4,"
                                    u"\"printBackground\":false,\"displayHeaderFooter\":false}"},
        {"landscape", with([](PdfSettings& s) { s.landscape = true; }), u"\"landscape\":true"},
        {"ranges", with([](PdfSettings& s) { s.pageRanges = u"1-3, 5,7-"; }), u"\"pageRanges\":\"1-3, 5,7-\""},
        {"header", with([](PdfSettings& s) { s.headerAndFooter = true; s.headerTitle = u"<b>\"Q\"</b>"; }),
         u"<span>&lt;b&gt;&quot;Q&quot;&lt;/b&gt;</span>"},
        {"own title", with([](PdfSettings& s) { s.headerAndFooter = true; }), u"<span class=\\\"title\\\"></span>"},
        {"scale low", with([](PdfSettings& s) { s.scale = 0.05; }), nullptr},
        {"scale high", with([](PdfSettings& s) { s.scale = 2.5; }), nullptr},
        {"negative margin", with([](PdfSettings& s) { s.marginLeft = -0.1; }), nullptr},
        {"margins fill the page", with([](PdfSettings& s) { s.marginTop = 6; s.marginBottom = 5; }), nullptr},
        {"range letters", with([](PdfSettings& s) { s.pageRanges = u"1-a"; }), nullptr},
        {"range double dash", with([](PdfSettings& s) { s.pageRanges = u"1--3"; }), nullptr},
        {"range empty item", with([](PdfSettings& s) { s.pageRanges = u"1,,3"; }), nullptr},
    };
    for (const PdfCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string params, reason;
        const bool ok = PrintToPdfParams(c.settings, params, reason);
        EXPECT_EQ(ok, c.expected != nullptr);
        if (c.expected) EXPECT_NE(params.find(c.expected), std::u16string::npos);
        else EXPECT_FALSE(reason.empty());
    }
}

TEST(PrintRules, Base64DecodesOrRefuses) {
    const std::pair<std::u16string_view, const char*> cases[] = {
        {u"", ""}, {u"TQ==", "M"}, {u"TWE=", "Ma"}, {u"TWFu", "Man"}, {u"TWFuTQ", "ManM"},
        {u"TW=u", nullptr}, {u"TWFu\n", nullptr}, {u"T", nullptr}, {u"TQ===", nullptr},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<unsigned char> bytes;
        const bool ok = DecodeBase64(text, bytes);
        EXPECT_EQ(ok, expected != nullptr) << std::string(text.begin(), text.end());
        if (ok && expected) {
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
        }
    }
}

}  // namespace
