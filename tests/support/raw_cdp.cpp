#include "raw_cdp.h"

#include <memory>

#include "json_document.h"

namespace CorvaneTest {

using namespace Corvane;
using namespace Corvane::Chromium;

bool RawCdp::Connect(const std::wstring& userDataFolder) {
    HANDLE file = CreateFileW((userDataFolder + L"\\DevToolsActivePort").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[512];
    DWORD n = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &n, nullptr);
    CloseHandle(file);
    std::string text(buffer, n);
    const std::size_t newline = text.find('\n');
    if (newline == std::string::npos) return false;
    std::string path = text.substr(newline + 1);
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
    return SUCCEEDED(socket_.Connect(static_cast<INTERNET_PORT>(atoi(text.c_str())), std::wstring(path.begin(), path.end())));
}

std::string RawCdp::Message(int id, std::u16string_view method, std::u16string_view params, std::u16string_view sessionId) {
    std::u16string text = u"{\"id\":" + FromUtf8(std::to_string(id)) + u",\"method\":" + Quote(method) +
                          u",\"params\":" + std::u16string(params);
    if (!sessionId.empty()) text += u",\"sessionId\":" + Quote(sessionId);
    return ToUtf8(text + u"}");
}

void RawCdp::Post(std::u16string_view method, std::u16string_view params, std::u16string_view sessionId) {
    socket_.Send(Message(next_++, method, params, sessionId));
}

std::u16string RawCdp::Call(std::u16string_view method, std::u16string_view params, std::u16string_view sessionId) {
    const int id = next_++;
    if (FAILED(socket_.Send(Message(id, method, params, sessionId)))) return {};
    const std::string marker = "\"id\":" + std::to_string(id) + ",";
    const std::string last = "\"id\":" + std::to_string(id) + "}";
    std::string reply;
    while (SUCCEEDED(socket_.Receive(reply))) {
        if (reply.find(marker) != std::string::npos || reply.find(last) != std::string::npos) return FromUtf8(reply);
    }
    return {};
}

std::u16string RawCdp::AttachToPage(std::u16string_view part) {
    std::unique_ptr<JsonDocument> targets;
    std::u16string error;
    if (!ParseDocument(Call(u"Target.getTargets"), 1 << 24, targets, error)) return {};
    const JsonNode* infos = Obj(&targets->Root(), u"result") ? Obj(&targets->Root(), u"result")->Find(u"targetInfos") : nullptr;
    for (std::uint32_t i = 0; infos && infos->type == JsonNodeType::Array && i < infos->count; ++i) {
        const JsonNode* info = &infos->elements[i];
        if (Str(info, u"type") != u"page" || Str(info, u"url").find(part) == std::u16string_view::npos) continue;
        std::unique_ptr<JsonDocument> attached;
        std::u16string params = Params().Add(u"targetId", Str(info, u"targetId")).Add(u"flatten", true).Text();
        if (!ParseDocument(Call(u"Target.attachToTarget", params), 1 << 24, attached, error)) return {};
        return std::u16string(Str(Obj(&attached->Root(), u"result"), u"sessionId"));
    }
    return {};
}

}  // namespace CorvaneTest
