// Path tokenizing and both evaluators on any path and any text. The first
// byte splits the input: that many code units of path, the rest is JSON.
#include "fuzz_input.h"
#include "json_document.h"
#include "json_path.h"
#include "json_query.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    if (size < 1) return 0;
    std::u16string all = FuzzText(data + 1, size - 1);
    std::size_t pathLength = data[0] < all.size() ? data[0] : all.size();
    std::u16string path = all.substr(0, pathLength);
    std::u16string json = all.substr(pathLength);

    PathSegment segments[kMaxPathSegments];
    int count = TokenizePath(path, segments);
    FUZZ_CHECK(count >= -1 && count <= kMaxPathSegments);
    for (int i = 0; i < count; ++i) {
        FUZZ_CHECK(segments[i].index >= -1 && segments[i].index <= kMaxPathIndex);
        FUZZ_CHECK(segments[i].HasKey() || segments[i].index >= 0);
    }
    if (count >= 0) {
        std::ptrdiff_t at = NavigateText(json, segments, count);
        FUZZ_CHECK(at == kNotFound || (at >= 0 && at < static_cast<std::ptrdiff_t>(json.size())));
    }
    TextGetValue(json, path);
    TextGetItem(json, path, 0);
    TextGetKeys(json, path);
    TextCount(json, path);
    TextExists(json, path);
    CtrlGetArrayLength(json, path);

    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    if (count >= 0 && ParseDocument(json, 1u << 24, doc, error)) {
        const JsonNode* node = LookupNode(doc->Root(), segments, count);
        FUZZ_CHECK(DocExists(*doc, segments, count) == (node != nullptr));
        DocGetValue(*doc, segments, count);
        DocGetItem(*doc, segments, count, 1);
        DocGetKeys(*doc, segments, count);
        DocCount(*doc, segments, count);
    }
    return 0;
}
