#include "web_error_status.h"

namespace Corvane::Chromium {

namespace {

struct Row {
    std::u16string_view code;   // after "ERR_"
    WebErrorStatus status;
};

// Exact codes first; the CERT_ family falls back to "invalid" below.
constexpr Row kRows[] = {
    {u"CERT_COMMON_NAME_INVALID", WebErrorStatus::CertificateCommonNameIsIncorrect},
    {u"CERT_DATE_INVALID", WebErrorStatus::CertificateExpired},
    {u"CERT_REVOKED", WebErrorStatus::CertificateRevoked},
    {u"BAD_SSL_CLIENT_AUTH_CERT", WebErrorStatus::ClientCertificateContainsErrors},
    {u"SSL_CLIENT_AUTH_CERT_NEEDED", WebErrorStatus::ClientCertificateContainsErrors},
    {u"ADDRESS_UNREACHABLE", WebErrorStatus::ServerUnreachable},
    {u"TIMED_OUT", WebErrorStatus::Timeout},
    {u"CONNECTION_TIMED_OUT", WebErrorStatus::Timeout},
    {u"INVALID_HTTP_RESPONSE", WebErrorStatus::ErrorHttpInvalidServerResponse},
    {u"EMPTY_RESPONSE", WebErrorStatus::ErrorHttpInvalidServerResponse},
    {u"CONNECTION_ABORTED", WebErrorStatus::ConnectionAborted},
    {u"CONNECTION_RESET", WebErrorStatus::ConnectionReset},
    {u"INTERNET_DISCONNECTED", WebErrorStatus::Disconnected},
    {u"NETWORK_CHANGED", WebErrorStatus::Disconnected},
    {u"CONNECTION_REFUSED", WebErrorStatus::CannotConnect},
    {u"CONNECTION_FAILED", WebErrorStatus::CannotConnect},
    {u"CONNECTION_CLOSED", WebErrorStatus::CannotConnect},
    {u"UNSAFE_PORT", WebErrorStatus::CannotConnect},
    {u"NAME_NOT_RESOLVED", WebErrorStatus::HostNameNotResolved},
    {u"ABORTED", WebErrorStatus::OperationCanceled},
    {u"TOO_MANY_REDIRECTS", WebErrorStatus::RedirectFailed},
    {u"UNSAFE_REDIRECT", WebErrorStatus::RedirectFailed},
    {u"UNEXPECTED", WebErrorStatus::UnexpectedError},
    {u"INVALID_AUTH_CREDENTIALS", WebErrorStatus::ValidAuthenticationCredentialsRequired},
    {u"PROXY_AUTH_REQUESTED", WebErrorStatus::ValidProxyAuthenticationRequired},
    {u"PROXY_AUTH_UNSUPPORTED", WebErrorStatus::ValidProxyAuthenticationRequired},
    {u"PROXY_AUTH_REQUESTED_WITH_NO_CONNECTION", WebErrorStatus::ValidProxyAuthenticationRequired},
};

}  // namespace

WebErrorStatus WebErrorStatusFromErrorText(std::u16string_view text) {
    if (text.starts_with(u"net::")) text.remove_prefix(5);
    if (!text.starts_with(u"ERR_")) return WebErrorStatus::Unknown;
    text.remove_prefix(4);
    for (const Row& row : kRows)
        if (text == row.code) return row.status;
    if (text.starts_with(u"CERT_")) return WebErrorStatus::CertificateIsInvalid;
    return WebErrorStatus::Unknown;
}

}  // namespace Corvane::Chromium
