// Virtual host names mapped to folders (ICoreWebView2_3). Requests to
// http(s)://<host>/... pause in Fetch and are fulfilled from the folder; no
// name is resolved and nothing reaches the network. Documents still raise
// NavigationStarting first (navigation.cpp), then come here.
//
// The URL path is checked by the portable rules (virtual_host_rules.h); the
// file is then checked again where it lies: its full path must still be
// inside the folder, no folder below the mapped one nor the file may be a
// reparse point (symbolic link, junction), and the path the opened handle
// really has must be inside the folder's own.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "portable/virtual_host_rules.h"
#include "webview.h"

namespace Corvane::Chromium {

namespace {

// Each body travels base64-encoded in one DevTools message, and the browser
// refuses messages over 100 MB: one answer carries at most 32 MiB of the
// file. A larger file is served by ranges only (media asks for them); a
// request for all of it gets 413.
constexpr std::uint64_t kMaxBodyBytes = 32ull * 1024 * 1024;

std::wstring WideOf(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!needed) return {};
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (!written || written >= needed) return {};
    full.resize(written);
    return full;
}

// The path the handle really names (links followed), without the \\?\ prefix.
std::wstring FinalPath(HANDLE handle) {
    const DWORD needed = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (!needed) return {};
    std::wstring path(needed, L'\0');
    const DWORD written = GetFinalPathNameByHandleW(handle, path.data(), needed, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (!written || written >= needed) return {};
    path.resize(written);
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) path = L"\\\\" + path.substr(8);
    else if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
    return path;
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

// `path` is `folder` itself or lies below it (case-insensitive, as Windows names are).
bool IsInside(const std::wstring& path, const std::wstring& folder, bool allowSelf) {
    std::wstring prefix = folder;
    if (prefix.empty()) return false;
    if (prefix.back() != L'\\') prefix += L'\\';
    if (allowSelf && CompareStringOrdinal(path.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    if (path.size() <= prefix.size()) return false;
    return CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::u16string_view Header(const JsonNode* headers, std::u16string_view name) {
    if (!headers || headers->type != JsonNodeType::Object) return {};
    for (std::uint32_t i = 0; i < headers->count; ++i) {
        const JsonMember& member = headers->members[i];
        if (LowerAscii(member.Key()) == LowerAscii(name) && member.value.type == JsonNodeType::String)
            return member.value.String();
    }
    return {};
}

struct FolderAnswer {
    int status = 200;
    std::u16string_view phrase = u"OK";
    std::vector<std::pair<std::u16string, std::u16string>> headers;
    std::vector<unsigned char> body;
};

FolderAnswer Refusal(int status, std::u16string_view phrase) {
    FolderAnswer answer;
    answer.status = status;
    answer.phrase = phrase;
    answer.headers.emplace_back(u"Content-Type", u"text/plain");
    answer.body.assign(phrase.begin(), phrase.end());
    return answer;
}

enum class Opened { File, Forbidden, NotFound };

// Opens `relative` ('/'-separated, already checked) inside the mapped folder.
Opened OpenInside(const VirtualFolder& folder, std::u16string_view relative, HANDLE& file) {
    file = INVALID_HANDLE_VALUE;
    std::wstring candidate = folder.root + L'\\' + WideOf(relative);
    std::replace(candidate.begin(), candidate.end(), L'/', L'\\');
    const std::wstring full = FullPath(candidate);
    if (full.empty() || !IsInside(full, folder.root, false)) return Opened::Forbidden;
    // Each folder below the mapped one, and the file: none may lead elsewhere.
    for (std::size_t at = folder.root.size() + 1; at <= full.size(); ++at) {
        if (at != full.size() && full[at] != L'\\') continue;
        const DWORD attributes = GetFileAttributesW(full.substr(0, at).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Opened::NotFound;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Opened::Forbidden;
        if (at == full.size() && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Opened::NotFound;
    }
    // The link itself is opened, never its target, should one appear since.
    file = CreateFileW(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Opened::NotFound : Opened::Forbidden;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool safe = GetFileInformationByHandle(file, &info) &&
                !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    // Links the attributes do not show (a Unix symbolic link under Wine) are
    // followed by the open: the handle's real path tells where it went.
    if (safe && !folder.finalRoot.empty()) safe = IsInside(FinalPath(file), folder.finalRoot, false);
    if (!safe) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
        return Opened::Forbidden;
    }
    return Opened::File;
}

bool ReadRange(HANDLE file, std::uint64_t first, std::uint64_t count, std::vector<unsigned char>& out) {
    out.resize(static_cast<std::size_t>(count));
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(first);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    std::size_t done = 0;
    while (done < out.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 20));
        if (!ReadFile(file, out.data() + done, want, &read, nullptr)) return false;
        if (!read) break;   // the file shrank: what is there
        done += read;
    }
    out.resize(done);
    return true;
}

std::u16string Number(std::uint64_t value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

FolderAnswer AnswerFromFolder(const VirtualFolder& folder, const VirtualRequest& request) {
    const CorsAnswer cors = VirtualHostCors(folder.accessKind, request.requester, request.hostOrigin, request.document);
    if (cors.refused) return Refusal(403, u"Forbidden");
    auto withCors = [&](FolderAnswer answer) {
        if (!cors.allowOrigin.empty()) answer.headers.emplace_back(u"Access-Control-Allow-Origin", cors.allowOrigin);
        return answer;
    };
    if (request.method == u"OPTIONS") {
        FolderAnswer answer;
        answer.status = 204;
        answer.phrase = u"No Content";
        answer.headers.emplace_back(u"Allow", u"GET, HEAD, OPTIONS");
        if (!cors.allowOrigin.empty()) {
            answer.headers.emplace_back(u"Access-Control-Allow-Methods", u"GET, HEAD, OPTIONS");
            answer.headers.emplace_back(u"Access-Control-Allow-Headers", u"*");
        }
        return withCors(std::move(answer));
    }
    if (request.method != u"GET" && request.method != u"HEAD") {
        FolderAnswer answer = Refusal(405, u"Method Not Allowed");
        answer.headers.emplace_back(u"Allow", u"GET, HEAD, OPTIONS");
        return withCors(std::move(answer));
    }
    std::u16string relative;
    const PathVerdict verdict = ResolveVirtualPath(request.path, relative);
    if (verdict == PathVerdict::Forbidden) return withCors(Refusal(403, u"Forbidden"));
    if (verdict == PathVerdict::NotFound) return withCors(Refusal(404, u"Not Found"));
    HANDLE file = INVALID_HANDLE_VALUE;
    const Opened opened = OpenInside(folder, relative, file);
    if (opened == Opened::Forbidden) return withCors(Refusal(403, u"Forbidden"));
    if (opened == Opened::NotFound) return withCors(Refusal(404, u"Not Found"));
    FolderAnswer answer;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return withCors(Refusal(500, u"Internal Server Error"));
    }
    const std::uint64_t total = static_cast<std::uint64_t>(size.QuadPart);
    std::uint64_t first = 0, last = total ? total - 1 : 0;
    const RangeVerdict range = ParseByteRange(request.range, total, first, last);
    if (range == RangeVerdict::Unsatisfiable) {
        CloseHandle(file);
        FolderAnswer refused = Refusal(416, u"Range Not Satisfiable");
        refused.headers.emplace_back(u"Content-Range", u"bytes */" + Number(total));
        return withCors(std::move(refused));
    }
    if (range == RangeVerdict::Whole && total > kMaxBodyBytes) {
        CloseHandle(file);
        FolderAnswer refused = Refusal(413, u"Payload Too Large");
        refused.headers.emplace_back(u"Accept-Ranges", u"bytes");
        return withCors(std::move(refused));
    }
    if (range == RangeVerdict::Partial) {
        // A shorter part than asked for is a valid answer: the reader asks on.
        last = std::min(last, first + kMaxBodyBytes - 1);
        answer.status = 206;
        answer.phrase = u"Partial Content";
        answer.headers.emplace_back(u"Content-Range", u"bytes " + Number(first) + u"-" + Number(last) + u"/" + Number(total));
    }
    const std::uint64_t count = total ? last - first + 1 : 0;
    if (request.method == u"GET" && count && !ReadRange(file, first, count, answer.body)) {
        CloseHandle(file);
        return withCors(Refusal(500, u"Internal Server Error"));
    }
    CloseHandle(file);
    answer.headers.emplace_back(u"Content-Type", ContentTypeFor(relative));
    answer.headers.emplace_back(u"Accept-Ranges", u"bytes");
    // Revalidated on every use: a mapping cleared or changed is seen at once.
    answer.headers.emplace_back(u"Cache-Control", u"no-cache");
    return withCors(std::move(answer));
}

}  // namespace

std::u16string WebView::FetchPatterns() const {
    // Documents pause for NavigationStarting; every request to a mapped host
    // pauses to be answered from its folder. Fetch.enable replaces the
    // patterns it had, so this is always the whole set.
    std::u16string json = u"{\"patterns\":[{\"urlPattern\":\"*\",\"resourceType\":\"Document\",\"requestStage\":\"Request\"}";
    for (const auto& entry : virtualHosts_)
        for (const char16_t* scheme : {u"http", u"https"})
            json += u",{\"urlPattern\":\"" + std::u16string(scheme) + u"://" + entry.first + u"/*\",\"requestStage\":\"Request\"}";
    // The host's resource filters pause their requests; its authentication
    // handlers take the challenges of paused requests.
    json += FilterPatterns() + u"]";
    if (!basicAuthenticationRequested_.Empty()) json += u",\"handleAuthRequests\":true";
    return json + u"}";
}

std::shared_ptr<VirtualRequest> WebView::MatchVirtualHost(const JsonNode& params) const {
    if (virtualHosts_.empty()) return nullptr;
    const JsonNode* request = Obj(&params, u"request");
    HttpUrlPieces pieces;
    if (!SplitHttpUrl(Str(request, u"url"), pieces) || !virtualHosts_.count(pieces.host)) return nullptr;
    auto matched = std::make_shared<VirtualRequest>();
    matched->requestId = Str(&params, u"requestId");
    matched->host = pieces.host;
    matched->hostOrigin = pieces.scheme + u"://" + pieces.host;
    matched->path = std::move(pieces.path);
    matched->method = Str(request, u"method");
    matched->document = Str(&params, u"resourceType") == u"Document";
    const JsonNode* headers = Obj(request, u"headers");
    matched->range = Header(headers, u"Range");
    // Who asks: the Origin a CORS request carries, else the frame's document.
    matched->requester = Header(headers, u"Origin");
    if (matched->requester.empty()) {
        auto frame = frameUrls_.find(std::u16string(Str(&params, u"frameId")));
        if (frame != frameUrls_.end()) matched->requester = OriginOf(frame->second);
    }
    return matched;
}

void WebView::ServeVirtualHost(const VirtualRequest& request) {
    auto folder = virtualHosts_.find(request.host);
    if (folder == virtualHosts_.end()) {   // cleared meanwhile: the network has it
        Send(u"Fetch.continueRequest", Params().Add(u"requestId", request.requestId).Text());
        return;
    }
    const FolderAnswer answer = AnswerFromFolder(folder->second, request);
    std::u16string headers = u"[";
    for (const auto& [name, value] : answer.headers) {
        if (headers.size() > 1) headers += u',';
        headers += Params().Add(u"name", name).Add(u"value", value).Text();
    }
    headers += u']';
    Send(u"Fetch.fulfillRequest", Params()
                                      .Add(u"requestId", request.requestId)
                                      .Add(u"responseCode", answer.status)
                                      .Add(u"responsePhrase", answer.phrase)
                                      .Raw(u"responseHeaders", headers)
                                      .Add(u"body", Base64(answer.body.data(), answer.body.size()))
                                      .Text());
}

HRESULT WebView::SetVirtualHostNameToFolderMapping(LPCWSTR hostName, LPCWSTR folderPath,
                                                   COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) {
    if (!hostName || !folderPath || !*folderPath || !IsValidVirtualHostName(View(hostName))) return E_INVALIDARG;
    if (accessKind < COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY || accessKind > COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY_CORS)
        return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        VirtualFolder folder;
        folder.root = WithoutTrailingSlash(FullPath(folderPath));
        folder.accessKind = static_cast<int>(accessKind);
        const DWORD attributes = folder.root.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.root.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        // The folder as the file system names it, links followed: where served files must lie.
        HANDLE handle = CreateFileW(folder.root.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            folder.finalRoot = WithoutTrailingSlash(FinalPath(handle));
            CloseHandle(handle);
        }
        virtualHosts_[LowerAscii(View(hostName))] = std::move(folder);
        Send(u"Fetch.enable", FetchPatterns());
        return S_OK;
    });
}

HRESULT WebView::ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) {
    if (!hostName || !IsValidVirtualHostName(View(hostName))) return E_INVALIDARG;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        if (virtualHosts_.erase(LowerAscii(View(hostName)))) Send(u"Fetch.enable", FetchPatterns());
        return S_OK;
    });
}

}  // namespace Corvane::Chromium
