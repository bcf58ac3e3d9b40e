// The strict validator and the lenient scanners on any text: no crash, and
// whatever the validator accepts the DOM parser accepts and skipping spans whole.
#include "fuzz_input.h"
#include "json_document.h"
#include "json_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    std::u16string text = FuzzText(data, size);
    const char16_t* b = text.data();
    const char16_t* e = b + text.size();
    bool valid = IsValidJson(text);
    const char16_t* skipped = SkipJsonValue(b, e);
    FUZZ_CHECK(skipped >= b && skipped <= e);
    int depth = 0;
    std::ptrdiff_t end = FindValueEnd(text, 0, depth);
    FUZZ_CHECK(end >= -1 && end <= static_cast<std::ptrdiff_t>(text.size()));
    FUZZ_CHECK(depth == 0);
    DecodeJsonString(b, e);
    TextValueToScalar(b, e);
    if (valid) {
        // A valid text within the DOM's 256 levels parses, and both scanners span it whole.
        std::unique_ptr<JsonDocument> doc;
        std::u16string error;
        bool parsed = ParseDocument(text, ~0ull, doc, error);
        FUZZ_CHECK(parsed || error == u"Corvane.Json: Nesting depth exceeds 256");
        if (parsed) {
            FUZZ_CHECK(SkipSpace(skipped, e) == e);
            FUZZ_CHECK(SkipSpace(text, static_cast<std::size_t>(end)) == text.size());
        }
    }
    return 0;
}
