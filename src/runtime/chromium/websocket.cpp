#include "websocket.h"

namespace Corvane::Chromium {

namespace {

HRESULT LastError() {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

void CloseInternet(HINTERNET& handle) {
    if (HINTERNET h = handle) {
        handle = nullptr;
        WinHttpCloseHandle(h);
    }
}

}  // namespace

WebSocket::~WebSocket() { Abort(); }

HRESULT WebSocket::Connect(INTERNET_PORT port, const std::wstring& path) {
    session_ = WinHttpOpen(L"Corvane", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session_) return LastError();
    connection_ = WinHttpConnect(session_, L"127.0.0.1", port, 0);
    if (!connection_) return LastError();
    HINTERNET request = WinHttpOpenRequest(connection_, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                           WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (!request) return LastError();
    HRESULT hr = S_OK;
    if (!WinHttpSetOption(request, WINHTTP_OPTION_UPGRADE_TO_WEB_SOCKET, nullptr, 0) ||
        !WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) ||
        !WinHttpReceiveResponse(request, nullptr)) {
        hr = LastError();
    } else {
        DWORD status = 0, size = sizeof(status);
        WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                            &status, &size, WINHTTP_NO_HEADER_INDEX);
        if (status != 101) hr = HRESULT_FROM_WIN32(ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
        else if (!(socket_ = WinHttpWebSocketCompleteUpgrade(request, 0))) hr = LastError();
    }
    WinHttpCloseHandle(request);
    return hr;
}

HRESULT WebSocket::Send(const std::string& utf8) {
    AcquireSRWLockExclusive(&sendLock_);
    DWORD error = socket_ ? WinHttpWebSocketSend(socket_, WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE,
                                                 const_cast<char*>(utf8.data()), static_cast<DWORD>(utf8.size()))
                          : ERROR_INVALID_HANDLE;
    ReleaseSRWLockExclusive(&sendLock_);
    return error ? HRESULT_FROM_WIN32(error) : S_OK;
}

HRESULT WebSocket::Receive(std::string& message) {
    message.clear();
    char buffer[64 * 1024];
    for (;;) {
        HINTERNET socket = socket_;
        if (!socket) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
        DWORD read = 0;
        WINHTTP_WEB_SOCKET_BUFFER_TYPE type{};
        DWORD error = WinHttpWebSocketReceive(socket, buffer, sizeof(buffer), &read, &type);
        if (error) return HRESULT_FROM_WIN32(error);
        if (type == WINHTTP_WEB_SOCKET_CLOSE_BUFFER_TYPE) return HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED);
        message.append(buffer, read);
        if (type == WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE || type == WINHTTP_WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE)
            return S_OK;
    }
}

void WebSocket::Abort() {
    AcquireSRWLockExclusive(&sendLock_);
    CloseInternet(socket_);
    ReleaseSRWLockExclusive(&sendLock_);
    CloseInternet(connection_);
    CloseInternet(session_);
}

}  // namespace Corvane::Chromium
