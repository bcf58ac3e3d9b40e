// The DevTools error text of a failed navigation ("net::ERR_NAME_NOT_RESOLVED")
// as the runtime's web error status. Portable: plain integers with the values
// of COREWEBVIEW2_WEB_ERROR_STATUS, so it is tested natively.
#pragma once

#include <string_view>

namespace Corvane::Chromium {

enum class WebErrorStatus : int {
    Unknown = 0,
    CertificateCommonNameIsIncorrect = 1,
    CertificateExpired = 2,
    ClientCertificateContainsErrors = 3,
    CertificateRevoked = 4,
    CertificateIsInvalid = 5,
    ServerUnreachable = 6,
    Timeout = 7,
    ErrorHttpInvalidServerResponse = 8,
    ConnectionAborted = 9,
    ConnectionReset = 10,
    Disconnected = 11,
    CannotConnect = 12,
    HostNameNotResolved = 13,
    OperationCanceled = 14,
    RedirectFailed = 15,
    UnexpectedError = 16,
    ValidAuthenticationCredentialsRequired = 17,
    ValidProxyAuthenticationRequired = 18,
};

// Accepts the text with or without the "net::" prefix; anything unknown,
// including an empty text, is Unknown.
WebErrorStatus WebErrorStatusFromErrorText(std::u16string_view errorText);

}  // namespace Corvane::Chromium
