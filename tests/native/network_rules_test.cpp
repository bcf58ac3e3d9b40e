// The network's portable rules: the JSON texts hosts read, resource contexts,
// stored credentials, download numbers, and how the Chromium runtime matches
// and describes paused requests.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "json_document.h"
#include "portable/request_rules.h"
#include "web_rules.h"

using namespace Corvane;
using namespace Corvane::Chromium;

TEST(NetworkRules, FilterListEscapesOnlyQuoteAndBackslash) {
    const struct {
        std::vector<ResourceFilter> filters;
        std::u16string json;
    } cases[] = {
        {{}, u"[]"},
        {{{u"*://a/\"q\"", 3}, {u"c:\\x\ty", -1}}, u"[{\"pattern\":\"*://a/\\\"q\\\"\",\"context\":3},"
                                                  u"{\"pattern\":\"c:\\\\x\ty\",\"context\":-1}]"},
    };
    for (const auto& c : cases) EXPECT_EQ(FiltersJson(c.filters), c.json);
}

TEST(NetworkRules, RemovingAFilterTakesOnlyTheFirstEqualOne) {
    std::vector<ResourceFilter> filters{{u"*a", 1}, {u"*A", 1}, {u"*a", 2}, {u"*a", 1}};
    EXPECT_TRUE(RemoveFirstFilter(filters, u"*a", 1));
    EXPECT_FALSE(RemoveFirstFilter(filters, u"*a", 5));
    EXPECT_EQ(FiltersJson(filters), u"[{\"pattern\":\"*A\",\"context\":1},{\"pattern\":\"*a\",\"context\":2},"
                                    u"{\"pattern\":\"*a\",\"context\":1}]");
}

TEST(NetworkRules, CookieListParsesBackToTheSameTexts) {
    const CookieFields cookie{u"q", u"say\"hi\"\\\n", u"\u00e9.test", u""};
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    ASSERT_TRUE(ParseDocument(CookiesJson({cookie}), 1 << 16, doc, error));
    ASSERT_EQ(doc->Root().count, 1u);
    const JsonNode& parsed = doc->Root().elements[0];
    EXPECT_EQ(parsed.Find(u"value")->String(), cookie.value);
    EXPECT_EQ(parsed.Find(u"domain")->String(), cookie.domain);
    EXPECT_EQ(parsed.Find(u"path")->String(), u"");
    EXPECT_EQ(CookiesJson({}), u"[]");
}

TEST(NetworkRules, StoredCredentialsMatchByPlainSubstringInPatternOrder) {
    const CredentialMap stored{{u"b.test", {u"b", u"1"}}, {u"a.test/x", {u"a", u"2"}}};
    const struct {
        std::u16string uri;
        const char16_t* user;   // null: none
    } cases[] = {
        {u"https://a.test/x/y", u"a"}, {u"https://A.TEST/x", nullptr}, {u"https://b.test/a.test/x", u"a"},
        {u"https://b.test/", u"b"},    {u"https://c.test/", nullptr},
    };
    for (const auto& c : cases) {
        const Credential* found = FindCredential(stored, c.uri);
        EXPECT_EQ(found ? found->user : u"(none)", c.user ? c.user : u"(none)");
    }
    EXPECT_EQ(FindCredential({{u"", {u"any", u""}}}, u"https://c.test/")->user, u"any");
}

TEST(NetworkRules, DownloadNumbersAreTheSmallestFree) {
    std::map<std::int32_t, int> running;
    EXPECT_EQ(FreeDownloadId(running), 1);
    running = {{1, 0}, {3, 0}};
    EXPECT_EQ(FreeDownloadId(running), 2);
}

TEST(RequestRules, WildcardsMatchAsFetchPatternsDo) {
    const struct {
        std::u16string pattern, text;
        bool match;
    } cases[] = {
        {u"*", u"", true},
        {u"*/pixel.png", u"http://h:1/pixel.png", true},
        {u"*/pixel.png", u"http://h:1/pixel.png?x", false},
        {u"http://h/*.png*", u"http://h/a/b.png?v=1", true},
        {u"http://h/?", u"http://h/ab", false},
        {u"*a*b*c", u"xxaxxbxxbxc", true},
        {u"*a*b*c", u"xxaxxbxxbx", false},
        {u"HTTP://h/", u"http://h/", false},
    };
    for (const auto& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match) << c.pattern.size();
}
