// The editing operations on any text, path and value: no crash, and the
// contract of every result: success has no message, failure hands back the
// first input unchanged with an "<Operation>: " message.
#include "fuzz_input.h"
#include "json_edit.h"

namespace {

void CheckResult(const Corvane::JsonEditResult& r, std::u16string_view input, std::u16string_view operation) {
    if (r.ok) {
        FUZZ_CHECK(r.message.empty() && r.hresult == 0);
    } else {
        FUZZ_CHECK(r.text == input);
        FUZZ_CHECK(r.hresult < 0);
        FUZZ_CHECK(r.message.compare(0, operation.size(), operation) == 0);
    }
}

}  // namespace

// Input: byte 0 = path length, byte 1 = value length (in code units), byte 2
// = an index and a flag; then path, value and json as UTF-16.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    if (size < 3) return 0;
    std::u16string all = FuzzText(data + 3, size - 3);
    std::size_t pathLength = data[0] < all.size() ? data[0] : all.size();
    std::size_t valueLength = data[1] < all.size() - pathLength ? data[1] : all.size() - pathLength;
    std::u16string path = all.substr(0, pathLength);
    std::u16string value = all.substr(pathLength, valueLength);
    std::u16string json = all.substr(pathLength + valueLength);
    int index = data[2] & 0x7f;
    bool deep = (data[2] & 0x80) != 0;
    if (value.empty()) value = u"1";

    CheckResult(JsonSetValue(json, path, value), json, u"JsonSetValue: ");
    CheckResult(JsonRemoveKey(json, path), json, u"JsonRemoveKey: ");
    CheckResult(JsonAppend(json, path, value), json, u"JsonAppend: ");
    CheckResult(JsonInsert(json, path, index - 8, value), json, u"JsonInsert: ");
    CheckResult(JsonClear(json, path), json, u"JsonClear: ");
    CheckResult(JsonCompact(json, path), json, u"JsonCompact: ");
    CheckResult(JsonMerge(json, value, deep), json, u"JsonMerge: ");
    CheckResult(JsonPrettyPrint(json), json, u"JsonPrettyPrint: ");
    CheckResult(JsonFlatten(json), json, u"JsonFlatten: ");
    CheckResult(JsonUnflatten(json), json, u"JsonUnflatten: ");
    JsonUnwrapString(json);
    return 0;
}
