// HTTP Basic authentication: stored credentials answer first, the host's
// event procedure otherwise. Stored credentials the server refused are not
// offered again for that navigation: the host is asked, and when it does not
// answer the challenge is cancelled, so the runtime never loops on them.
#include "bstr.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "runtime_text.h"

namespace Corvane {

namespace Id {
constexpr DISPID BasicAuthenticationRequested = 0xe;
}  // namespace Id

void CCorvaneCtrl::OnBasicAuthentication(ICoreWebView2BasicAuthenticationRequestedEventArgs* args) {
    ComPtr<ICoreWebView2Deferral> deferral;
    args->GetDeferral(deferral.put());
    const std::u16string uri = ReadRuntimeString(args, &ICoreWebView2BasicAuthenticationRequestedEventArgs::get_Uri);
    const std::u16string challenge =
        ReadRuntimeString(args, &ICoreWebView2BasicAuthenticationRequestedEventArgs::get_Challenge);

    std::u16string user, password;
    bool handled = false;
    const Credential* stored = FindCredential(net_.credentials, uri);
    const bool refusedBefore = stored && net_.storedAnswerPending.count(uri);
    if (stored && !refusedBefore) {
        user = stored->user;
        password = stored->password;
        handled = true;
        net_.storedAnswerPending.insert(uri);
    } else {
        BSTR userArg = MakeBstr(u""), passwordArg = MakeBstr(u"");
        VARIANT_BOOL handledArg = VARIANT_FALSE;
        RaiseNow(u"BasicAuthenticationRequested", [&] {
            RaiseEvent(Id::BasicAuthenticationRequested,
                       {std::u16string_view(uri), std::u16string_view(challenge), EventArg::InOut(&userArg),
                        EventArg::InOut(&passwordArg), EventArg::InOut(&handledArg)});
        });
        if (handledArg == VARIANT_TRUE && userArg && passwordArg) {
            user.assign(BstrView(userArg));
            password.assign(BstrView(passwordArg));
            handled = true;
        }
        SysFreeString(userArg);
        SysFreeString(passwordArg);
    }

    args->put_Cancel(FALSE);
    ComPtr<ICoreWebView2BasicAuthenticationResponse> response;
    if (handled && SUCCEEDED(args->get_Response(response.put())) && response) {
        response->put_UserName(ToWide(user).c_str());
        response->put_Password(ToWide(password).c_str());
    } else if (refusedBefore) {
        args->put_Cancel(TRUE);
    }
    if (deferral) deferral->Complete();
}

HRESULT CCorvaneCtrl::SetBasicAuthCredentials(BSTR uriPattern, BSTR username, BSTR password) {
    if (!uriPattern || !username || !password) return E_POINTER;
    return ComBarrier([&] {
        net_.credentials[std::u16string(BstrView(uriPattern))] = {std::u16string(BstrView(username)),
                                                                  std::u16string(BstrView(password))};
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::ClearBasicAuthCredentials() {
    return ComBarrier([&] {
        net_.credentials.clear();
        net_.storedAnswerPending.clear();
        if (!webView_) return S_OK;
        // What the browser keeps of earlier logins goes too; nothing here waits.
        if (auto profile = BrowserProfile().TryQuery<ICoreWebView2Profile2>()) {
            auto done = Callback<ICoreWebView2ClearBrowsingDataCompletedHandler>([](HRESULT) { return S_OK; });
            profile->ClearBrowsingData(static_cast<COREWEBVIEW2_BROWSING_DATA_KINDS>(0xFFF), done.get());
        }
        auto sent = Callback<ICoreWebView2CallDevToolsProtocolMethodCompletedHandler>([](HRESULT, LPCWSTR) { return S_OK; });
        webView_->CallDevToolsProtocolMethod(L"Network.clearBrowserCookies", L"{}", sent.get());
        webView_->Navigate(L"about:blank");
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::get_HasAuthenticationSupport(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = VARIANT_TRUE;
    return S_OK;
}

}  // namespace Corvane
