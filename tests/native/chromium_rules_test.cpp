// The Chromium runtime's portable rules: DevTools error text to web error
// status, a RemoteObject to the JSON a script result is reported with, and
// where a browser is looked for.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "json_document.h"
#include "portable/browser_search.h"
#include "portable/remote_object_json.h"
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

TEST(RemoteObjectJson, StringifiedTextIsTakenAsIs) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {uR"({"type":"string","value":"{\"a\":[1]}"})", uR"({"a":[1]})"},
        {uR"({"type":"undefined"})", u"null"},   // stringify of a value it cannot encode
        {u"[]", u"null"},
    };
    for (const auto& [remote, expected] : cases) {
        std::unique_ptr<JsonDocument> document;
        std::u16string error;
        ASSERT_TRUE(ParseDocument(remote, 1 << 20, document, error));
        EXPECT_EQ(StringifiedJson(document->Root()), expected);
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
        {u"Microsoft Edge 121.0.2277.83", u"121.0.2277.83"},
        {u"x86_64 build 12 Chromium 99.1", u"99.1"},   // digits inside a word and without a dot are skipped
        {u"Chromium", u""},
        {u"", u""},
    };
    for (const auto& [output, version] : cases)
        EXPECT_EQ(VersionFromVersionOutput(output), version) << std::string(output.begin(), output.end());
}

}  // namespace
