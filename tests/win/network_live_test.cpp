// The network members against the real browser: filters and blocking, a
// request the macro built, cookies both ways, Basic authentication, a
// self-signed certificate, and downloads, with pages of the local test web
// server (HTTP and its HTTPS twin).
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "browser_host.h"
#include "json/json_document.h"
#include "win_test_support.h"

using namespace CorvaneTest;

std::wstring TestServerUrl();

namespace {

constexpr DISPID kDownloadStarting = 0xb, kDownloadProgress = 0xc, kDownloadCompleted = 0xd, kBasicAuth = 0xe,
                 kWebResourceRequested = 0x12;

// The HTTPS twin's port is in the port file's ".https" sibling.
std::wstring HttpsServer() {
    wchar_t unix[MAX_PATH] = {};
    GetEnvironmentVariableW(L"CORVANE_WEB_SERVER_PORT_FILE", unix, MAX_PATH);
    std::wstring path = std::wstring(L"Z:") + unix + L".https";
    std::replace(path.begin(), path.end(), L'/', L'\\');
    char text[16] = {};
    DWORD n = 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ReadFile(file, text, sizeof(text) - 1, &n, nullptr), CloseHandle(file);
    return n ? L"https://127.0.0.1:" + std::to_wstring(atoi(text)) : std::wstring();
}

void AnswerText(DISPPARAMS* params, UINT fromLast, const std::wstring& text) {
    VARIANT& v = params->rgvarg[fromLast];
    SysFreeString(*v.pbstrVal);
    *v.pbstrVal = SysAllocString(text.c_str());
}

// A JSON text as a parsed document; empty when it does not parse.
std::unique_ptr<Corvane::JsonDocument> Parse(const std::wstring& text) {
    std::unique_ptr<Corvane::JsonDocument> doc;
    std::u16string error;
    Corvane::ParseDocument(std::u16string(text.begin(), text.end()), 1 << 20, doc, error);
    return doc;
}

std::wstring Member(const Corvane::JsonNode* object, const char16_t* key) {
    const Corvane::JsonNode* value = object ? object->Find(key) : nullptr;
    if (!value || value->type != Corvane::JsonNodeType::String) return L"(missing)";
    std::u16string_view text = value->String();
    return std::wstring(text.begin(), text.end());
}

class Network : public LiveControlSuite {
protected:
    void SetUp() override {
        server = TestServerUrl();
        ASSERT_FALSE(server.empty()) << "no test web server";
        LiveControlSuite::SetUp();
        host->sink.events.clear();
    }
    // One field of what the echo page says reached the server, as JSON.
    std::wstring Seen(const std::wstring& field) {
        BSTR value = nullptr;
        ctrl->ExecuteScript(Bs(L"JSON.parse(document.getElementById('seen').textContent)." + field), &value);
        return TakeBstr(value);
    }
    std::wstring Title() {
        BSTR title = nullptr;
        ctrl->ExecuteScript(Bs(L"document.title"), &title);
        return TakeBstr(title);
    }
    // Navigates (without waiting on the navigation itself) and waits for the title.
    bool Reaches(const std::wstring& url, const std::wstring& title, DWORD ms = 10000) {
        ctrl->Navigate(Bs(url));
        return PumpUntil([&] { return Title() == L"\"" + title + L"\""; }, ms);
    }
    // The server's count of authentication attempts since the last look.
    int AuthAttempts() {
        ctrl->Navigate(Bs(server + L"/authcount"));
        std::wstring title;
        PumpUntil([&] { return iswdigit((title = Title() + L"  ")[1]); }, 5000);
        return _wtoi(title.c_str() + 1);
    }

    std::wstring server;
};

TEST_F(Network, FilteredRequestsAreBlockedWith403AndCounted) {
    ASSERT_EQ(ctrl->AddWebResourceRequestedFilter(Bs(L"*/pixel.png"), 0), S_OK);
    ctrl->ResetBlockedRequestCount();
    const struct {
        const wchar_t* name;
        VARIANT_BOOL blocking, cancel;
        const wchar_t* title;
        LONG blocked;
    } cases[] = {
        {L"blocking on", VARIANT_TRUE, VARIANT_FALSE, L"status 403", 1},
        {L"cancelled by the host", VARIANT_FALSE, VARIANT_TRUE, L"status 403", 2},
        {L"cancel that is not VARIANT_TRUE", VARIANT_FALSE, 1, L"status 200", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host->sink.events.clear();
        ctrl->SetWebResourceBlocking(c.blocking);
        host->sink.onEvent = [&](DISPID id, DISPPARAMS* p) {
            if (id == kWebResourceRequested) AnswerBool(p, 0, c.cancel);
        };
        EXPECT_TRUE(Reaches(server + L"/picture.html", c.title));
        LONG blocked = -1;
        ctrl->get_BlockedRequestCount(&blocked);
        EXPECT_EQ(blocked, c.blocked);
        std::vector<std::wstring> requested;   // fetch() pauses as an XHR (7) in v156
        for (const SeenEvent& e : host->sink.events)
            if (e.id == kWebResourceRequested) requested.push_back(e.Text());
        EXPECT_EQ(requested, (std::vector<std::wstring>{L"0x12(" + server + L"/pixel.png,GET,7,&false)"}));
    }
    host->sink.onEvent = nullptr;
    ctrl->SetWebResourceBlocking(VARIANT_FALSE);
    EXPECT_EQ(ctrl->ClearAllWebResourceRequestedFilters(), S_OK);
    host->sink.events.clear();
    ASSERT_EQ(ctrl->EnableWebResourceResponseTracking(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(Reaches(server + L"/picture.html", L"status 200"));
    ctrl->EnableWebResourceResponseTracking(VARIANT_FALSE);
    EXPECT_EQ(host->sink.Count(kWebResourceRequested), 0);
    std::vector<std::wstring> responses;
    for (const SeenEvent& e : host->sink.events)
        if (e.id == 0x13) responses.push_back(e.Text());
    EXPECT_EQ(responses, (std::vector<std::wstring>{L"0x13(" + server + L"/picture.html,200,OK)",
                                                    L"0x13(" + server + L"/pixel.png,200,OK)"}));
}

TEST_F(Network, RequestsTheMacroBuildsReachTheServer) {
    LONG request = 0, response = 0;
    ASSERT_EQ(ctrl->CreateWebResourceRequest(Bs(L"POST"), Bs(server + L"/echo"),
                                             Bs(L"X-Corvane: yes\r\nContent-Type: text/plain"),
                                             Bs(L"a=1&b=\u00e9\u20ac"), &request),
              S_OK);
    // Requests and responses share one handle sequence; a response is no request.
    ASSERT_EQ(ctrl->CreateWebResourceResponse(Bs(L"x"), 200, nullptr, nullptr, &response), S_OK);
    EXPECT_EQ(response, request + 1);
    EXPECT_EQ(ctrl->NavigateWithWebResourceRequestSync(response), E_INVALIDARG);
    const struct {
        const wchar_t* name;
        std::function<HRESULT()> go;
        const wchar_t *method, *body, *custom;
    } cases[] = {
        {L"stored request, blocking", [&] { return ctrl->NavigateWithWebResourceRequestSync(request); }, L"\"POST\"",
         L"\"a=1&b=\u00e9\u20ac\"", L"\"yes\""},
        {L"one call, empty method", [&] {
             return ctrl->NavigateWithWebResourceRequest(Bs(server + L"/echo"), Bs(L""), Bs(L""), Bs(L"X-Corvane: get"));
         },
         L"\"GET\"", L"\"\"", L"\"get\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctrl->NavigateToString(Bs(L"<title>blank</title>"));
        PumpUntil([&] { return Title() == L"\"blank\""; });
        ASSERT_EQ(c.go(), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return Title() == L"\"Echo\""; }, 10000));
        EXPECT_EQ(Seen(L"method"), c.method);
        EXPECT_EQ(Seen(L"body"), c.body);
        EXPECT_EQ(Seen(L"custom"), c.custom);
    }
}

TEST_F(Network, CookiesTravelBetweenServerAndMacro) {
    ASSERT_EQ(ctrl->ClearCookies(), S_OK);
    ASSERT_EQ(ctrl->NavigateSync(Bs(server + L"/setcookie")), S_OK);
    BSTR json = nullptr;
    ASSERT_EQ(ctrl->GetCookies(Bs(server + L"/"), &json), S_OK);
    auto doc = Parse(TakeBstr(json));
    ASSERT_TRUE(doc && doc->Root().type == Corvane::JsonNodeType::Array);
    std::map<std::wstring, std::wstring> values;
    for (std::uint32_t i = 0; i < doc->Root().count; ++i) {
        const Corvane::JsonNode* cookie = &doc->Root().elements[i];
        values[Member(cookie, u"name")] = Member(cookie, u"value");
        EXPECT_EQ(Member(cookie, u"domain"), L"127.0.0.1");
        EXPECT_EQ(Member(cookie, u"path"), L"/");
    }
    EXPECT_EQ(values, (std::map<std::wstring, std::wstring>{{L"plain", L"fromserver"}, {L"quoted", L"say\"hi\""}}));

    ASSERT_EQ(ctrl->SetCookie(Bs(L"macro"), Bs(L"set"), Bs(L"127.0.0.1"), Bs(L"/")), S_OK);
    ASSERT_EQ(ctrl->NavigateSync(Bs(server + L"/echo")), S_OK);
    EXPECT_TRUE(Has(Seen(L"cookie"), L"macro=set"));

    ASSERT_EQ(ctrl->ClearCookies(), S_OK);
    ASSERT_EQ(ctrl->GetCookies(Bs(server + L"/"), &json), S_OK);
    EXPECT_EQ(TakeBstr(json), L"[]");
}

TEST_F(Network, BasicAuthenticationFromStoreAndEventWithoutLooping) {
    const struct {
        const wchar_t* name;
        const wchar_t* storedPassword;   // null: nothing stored
        const wchar_t* eventPassword;    // null: the event procedure does not answer
        const wchar_t* title;
        int events;
    } cases[] = {
        {L"stored", L"secret", nullptr, L"Welcome", 0},
        {L"event", nullptr, L"secret", L"Welcome", 1},
        {L"stored wrong, then the event", L"wrong", L"secret", L"Welcome", 1},
        {L"stored wrong, no answer", L"wrong", nullptr, L"Denied", 1},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctrl->ClearBasicAuthCredentials();
        AuthAttempts();
        // A folder of its own: the browser offers what it learnt for one folder to everything in it.
        const std::wstring path = L"/auth/case" + std::to_wstring(++n) + L"/page";
        if (c.storedPassword) ctrl->SetBasicAuthCredentials(Bs(path), Bs(L"corvane"), Bs(c.storedPassword));
        host->sink.events.clear();
        host->sink.onEvent = [&](DISPID id, DISPPARAMS* p) {
            if (id != kBasicAuth || !c.eventPassword) return;
            AnswerText(p, 2, L"corvane");
            AnswerText(p, 1, c.eventPassword);
            AnswerBool(p, 0, VARIANT_TRUE);
        };
        EXPECT_TRUE(Reaches(server + path, c.title));
        host->sink.onEvent = nullptr;
        EXPECT_EQ(host->sink.Count(kBasicAuth), c.events);
        const int attempts = AuthAttempts();
        EXPECT_GE(attempts, 1);
        EXPECT_LE(attempts, 3);
    }
    ctrl->ClearBasicAuthCredentials();
}

TEST_F(Network, SelfSignedCertificateIsRefusedUntilErrorsAreIgnored) {
    const std::wstring https = HttpsServer();
    ASSERT_FALSE(https.empty()) << "no HTTPS twin (openssl missing?)";
    host->sink.events.clear();
    ctrl->NavigateSync(Bs(https + L"/page2.html"));
    EXPECT_NE(Title(), L"\"Page Two\"");
    ASSERT_GE(host->sink.Count(Ev::ServerCertificateErrorDetected), 1);
    for (const SeenEvent& e : host->sink.events)
        if (e.id == Ev::ServerCertificateErrorDetected) {
            EXPECT_EQ(e.args.at(0), https + L"/page2.html");
            EXPECT_EQ(e.args.at(1), L"5");   // the certificate is not valid: no trusted issuer
        }
    ctrl->put_IgnoreCertificateErrors(VARIANT_TRUE);
    EXPECT_TRUE(Reaches(https + L"/page2.html", L"Page Two"));
    ctrl->put_IgnoreCertificateErrors(VARIANT_FALSE);
}

TEST_F(Network, DownloadsLandWhereTheMacroSaysOrAreCancelledOrRefused) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring target = std::wstring(temp) + L"corvane_network_download.bin";
    DeleteFileW(target.c_str());
    LONG running = 0;
    host->sink.onEvent = [&](DISPID id, DISPPARAMS* p) {
        if (id == kDownloadStarting) AnswerText(p, 0, target);
        if (id == kDownloadProgress) running = p->rgvarg[3].lVal;
    };
    ctrl->Navigate(Bs(server + L"/download.bin"));
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kDownloadCompleted) > 0; }, 20000));
    std::vector<std::wstring> completed;
    for (const SeenEvent& e : host->sink.events)
        if (e.id == kDownloadCompleted) completed = e.args;
    EXPECT_EQ(completed, (std::vector<std::wstring>{L"1", target, L"true", L"0"}));
    EXPECT_GE(host->sink.Count(kDownloadProgress), 1);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 4u * 1024 * 1024);
    DeleteFileW(target.c_str());

    // Cancelled by number while it runs; pausing has no protocol equivalent.
    host->sink.events.clear();
    running = 0;
    ctrl->Navigate(Bs(server + L"/slowdownload.bin"));
    ASSERT_TRUE(PumpUntil([&] { return running != 0; }, 10000));
    EXPECT_EQ(ctrl->PauseDownload(running), E_NOTIMPL);
    EXPECT_EQ(ctrl->CancelDownload(running), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kDownloadCompleted) > 0; }, 10000));
    for (const SeenEvent& e : host->sink.events)
        EXPECT_TRUE(e.id != kDownloadCompleted || e.args.at(2) == L"false");
    EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);

    // Refused: no event, nothing saved.
    host->sink.events.clear();
    ctrl->put_AllowDownloads(VARIANT_FALSE);
    ctrl->Navigate(Bs(server + L"/download.bin"));
    PumpFor(1500);
    EXPECT_EQ(host->sink.Count(kDownloadStarting), 0);
    EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    ctrl->put_AllowDownloads(VARIANT_TRUE);
}

}  // namespace
