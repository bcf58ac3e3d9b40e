// The network members' branches only the test runtime produces on demand:
// the host's answers to requests, challenges and downloads, handle numbering,
// and what reaches the runtime (certificate answers: browser_test).
#include <string>

#include "browser_host.h"

using namespace CorvaneTest;

namespace {

constexpr DISPID kDownloadStarting = 0xb, kDownloadCompleted = 0xd, kBasicAuth = 0xe, kRequested = 0x12;

class Net : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime().Reset();
        host = std::make_unique<HostedControl>();
        ASSERT_TRUE(host->ctrl && host->Attach() && host->WaitReady());
        ctrl = host->ctrl;
    }
    std::wstring Raise(const wchar_t* event, const std::wstring& args) { return TakeBstr(Runtime().Raise(-1, event, args.c_str())); }
    std::wstring Log() { return TakeBstr(Runtime().CallLog()); }
    void Answer(DISPID id, std::function<void(DISPPARAMS*)> answer) {
        host->sink.onEvent = [=](DISPID seen, DISPPARAMS* p) { if (seen == id) answer(p); };
    }
    std::unique_ptr<HostedControl> host;
    ICorvaneCtrl* ctrl = nullptr;
};

TEST_F(Net, RequestsAreBlockedOnlyByBlockingOrAnExactTrueCancel) {
    ASSERT_EQ(ctrl->AddWebResourceRequestedFilter(Bs(L"*other*"), 13), S_OK);
    EXPECT_TRUE(Has(Log(), L"AddWebResourceRequestedFilter(*other*|16)"));   // our "other" is the runtime's 16
    const struct {
        VARIANT_BOOL blocking, cancel;
        const wchar_t* answer;
        LONG count;
    } cases[] = {{VARIANT_FALSE, VARIANT_FALSE, L"false", 0}, {VARIANT_FALSE, 1, L"false", 0},
                 {VARIANT_FALSE, VARIANT_TRUE, L"true", 1}, {VARIANT_TRUE, VARIANT_FALSE, L"true", 2}};
    for (const auto& c : cases) {
        ctrl->SetWebResourceBlocking(c.blocking);
        Answer(kRequested, [&](DISPPARAMS* p) { AnswerBool(p, 0, c.cancel); });
        EXPECT_TRUE(Has(Raise(L"WebResourceRequested", L"{\"uri\":\"https://a.test/x\",\"method\":\"GET\"}"),
                        std::wstring(L"\"response\":") + c.answer));
        LONG count = -1;
        ctrl->get_BlockedRequestCount(&count);
        EXPECT_EQ(count, c.count);
    }
    EXPECT_TRUE(Has(Log(), L"Environment.CreateWebResourceResponse(-1|403|Blocked|)"));
}

TEST_F(Net, StoredCredentialsAnswerOnceThenTheHostIsAsked) {
    ctrl->SetBasicAuthCredentials(Bs(L"example.test"), Bs(L"u"), Bs(L"p"));
    const std::wstring challenge = L"{\"uri\":\"https://example.test/a\",\"challenge\":\"Basic\"}";
    EXPECT_TRUE(Has(Raise(L"BasicAuthenticationRequested", challenge), L"\"cancel\":false,\"userName\":\"u\",\"password\":\"p\""));
    EXPECT_EQ(host->sink.Count(kBasicAuth), 0);
    // Refused: the host is asked; an answer that is not handled cancels, so the runtime never loops.
    Answer(kBasicAuth, [](DISPPARAMS* p) { AnswerBool(p, 0, 1); });
    EXPECT_TRUE(Has(Raise(L"BasicAuthenticationRequested", challenge), L"\"cancel\":true,\"userName\":\"\""));
    EXPECT_EQ(host->sink.Count(kBasicAuth), 1);
}

TEST_F(Net, DownloadsAreNumberedFromOneAndEndWithTheirPath) {
    const std::wstring start = L"{\"uri\":\"https://a.test/f\",\"totalBytesToReceive\":9}";
    ctrl->put_AllowDownloads(VARIANT_FALSE);
    EXPECT_TRUE(Has(Raise(L"DownloadStarting", start), L"\"cancel\":true"));
    ctrl->put_AllowDownloads(VARIANT_TRUE);
    ctrl->put_HiddenDownloadUI(VARIANT_TRUE);
    EXPECT_EQ(host->sink.Count(kDownloadStarting), 0);
    Answer(kDownloadStarting, [](DISPPARAMS* p) { AnswerBool(p, 1, 1); });   // 1 is not VARIANT_TRUE
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(Has(Raise(L"DownloadStarting", start), L"\"cancel\":false,\"resultFilePath\":\"\",\"handled\":true"));
        host->sink.events.clear();
        Raise(L"Download.StateChanged", L"{\"state\":2,\"bytesReceived\":9,\"resultFilePath\":\"C:\\\\f\"}");
        ASSERT_TRUE(PumpUntil([&] { return host->sink.Count(kDownloadCompleted) == 1; }));
        EXPECT_EQ(host->sink.Texts(), (std::vector<std::wstring>{L"0xc(1,9,9,2)", L"0xd(1,C:\\f,true,0)"}));
    }
    BSTR error = nullptr;
    EXPECT_EQ(ctrl->PauseDownload(1), E_FAIL);
    EXPECT_EQ((ctrl->get_LastError(&error), TakeBstr(error)), L"Download not found or already completed.");
}

TEST_F(Net, WaitsAreRefusedInsideEventsAndTimeRangesAreSecondsSince1970) {
    HRESULT inside = S_OK;
    Answer(Ev::NavigationStarting, [&](DISPPARAMS*) {
        BSTR json = nullptr;
        inside = ctrl->GetCookies(Bs(L"https://a.test/"), &json);
    });
    Raise(L"NavigationStarting", L"{\"uri\":\"https://a.test/\"}");
    EXPECT_EQ(inside, static_cast<HRESULT>(0x80040203));
    ctrl->ClearBrowsingDataInTimeRange(64, 25569.0, 25570.0);
    EXPECT_TRUE(Has(Log(), L"Profile.ClearBrowsingDataInTimeRange(64|0|86400)"));
}

// A quote cannot end a switch early and smuggle in switches of its own.
TEST(NetSettings, ProxySettingsReachTheBrowserAsItsSwitches) {
    Runtime().Reset();
    HostedControl host;
    host.ctrl->put_proxyServer(Bs(L"http://proxy.test:8080\" --remote-debugging-port=9"));
    host.ctrl->put_ProxyBypassList(Bs(L"<local>;*.corp"));
    ASSERT_TRUE(host.Attach() && host.WaitReady());
    EXPECT_TRUE(Has(TakeBstr(Runtime().CallLog()),
                    L"--proxy-server=\"http://proxy.test:8080 --remote-debugging-port=9\" --proxy-bypass-list=\"<local>;*.corp\""));
}

}  // namespace
