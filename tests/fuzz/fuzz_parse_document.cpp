// ParseDocument must answer any text: a document or one message, never a
// crash. Serializing is stable: after one round (which may normalise a
// number, e.g. -0.0 written "-0" reads back as the integer 0) text and
// document agree.
#include "fuzz_input.h"
#include "json_document.h"
#include "json_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    std::u16string text = FuzzText(data, size);
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    bool ok = ParseDocument(text, 1u << 24, doc, error);
    FUZZ_CHECK(ok == error.empty());
    FUZZ_CHECK(ok == (doc != nullptr));
    if (!ok) {
        FUZZ_CHECK(error.rfind(u"Corvane.Json: ", 0) == 0);
        return 0;
    }
    std::u16string once;
    SerializeNode(doc->Root(), once);
    std::unique_ptr<JsonDocument> again;
    FUZZ_CHECK(ParseDocument(once, ~0ull, again, error));
    std::u16string twice;
    SerializeNode(again->Root(), twice);
    std::unique_ptr<JsonDocument> third;
    FUZZ_CHECK(ParseDocument(twice, ~0ull, third, error));
    std::u16string thrice;
    SerializeNode(third->Root(), thrice);
    FUZZ_CHECK(twice == thrice);
    return 0;
}
