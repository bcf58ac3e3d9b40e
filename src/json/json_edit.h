// Editing JSON held as text: each operation splices the input and returns new
// text without building a tree. Everything outside the edited span is copied
// byte for byte. Value arguments are JSON text (already converted from the
// host value). On failure `text` is a copy of the first input, unchanged, and
// `message`/`hresult` say why; on success the message is empty and hresult 0.
// Allocation failures are reported as E_OUTOFMEMORY results, not thrown (if
// even the copy of the input cannot be made, `text` is left empty).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Corvane {

// HRESULTs as plain values, so the Windows layer only forwards them.
inline constexpr std::int32_t kS_OK = 0;
inline constexpr std::int32_t kE_INVALIDARG = static_cast<std::int32_t>(0x80070057u);
inline constexpr std::int32_t kE_FAIL = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t kE_BOUNDS = static_cast<std::int32_t>(0x8000000Bu);
inline constexpr std::int32_t kE_OUTOFMEMORY = static_cast<std::int32_t>(0x8007000Eu);

// Largest number of nulls a last step may add by array extension or creation.
inline constexpr std::int32_t kAutoCreateMaxIndex = 9999;
// PrettyPrint refuses inputs longer than this many code units (5 MiB).
inline constexpr std::size_t kPrettyPrintMaxInput = 5u * 1048576u;
// and refuses (E_OUTOFMEMORY) to produce more than this many: deep nesting
// makes the indentation grow with the square of the depth.
inline constexpr std::uint64_t kPrettyPrintMaxOutput = 256u * 1048576u;

struct JsonEditResult {
    bool ok = false;
    std::u16string text;      // the result, or the first input unchanged on failure
    std::u16string message;   // empty on success; an exact "<Operation>: ..." text otherwise
    std::int32_t hresult = kS_OK;
};

// "{}" and "[]"; they never fail.
JsonEditResult JsonCreateObject();
JsonEditResult JsonCreateArray();

// Sets the value at `path`, creating missing members, null-padded array
// elements and intermediate containers. An empty path replaces the document.
JsonEditResult JsonSetValue(std::u16string_view json, std::u16string_view path, std::u16string_view value);

// Removes the member or element at `path` with one adjacent comma. A target
// that is not there leaves the text unchanged and succeeds.
JsonEditResult JsonRemoveKey(std::u16string_view json, std::u16string_view path);

// Appends `value` to the array at `path` (empty path: the root). A missing last
// member on the way is created as `"key":[value]`.
JsonEditResult JsonAppend(std::u16string_view json, std::u16string_view path, std::u16string_view value);

// Inserts `value` before element `index` of the array at `path`; index equal
// to the length appends. index > length fails with kE_BOUNDS.
JsonEditResult JsonInsert(std::u16string_view json, std::u16string_view path, std::int32_t index,
                          std::u16string_view value);

// Replaces the object or array at `path` by "{}" or "[]".
JsonEditResult JsonClear(std::u16string_view json, std::u16string_view path);

// Applies each member of object `json2` to object `json1` (overwrite in place,
// append new keys). With `deep`, objects present on both sides merge recursively.
JsonEditResult JsonMerge(std::u16string_view json1, std::u16string_view json2, bool deep);

// Re-indents with LF line breaks and two spaces a level, without validation.
JsonEditResult JsonPrettyPrint(std::u16string_view json);

// One object mapping flat keys (`a.b`, `c[0]`) to the leaves of a container.
JsonEditResult JsonFlatten(std::u16string_view json);

// Rebuilds nested JSON from a flat object by setting each key as a path.
JsonEditResult JsonUnflatten(std::u16string_view json);

// Drops the null elements of the array at `path` and the whitespace between
// its elements.
JsonEditResult JsonCompact(std::u16string_view json, std::u16string_view path);

// Removes one layer of JSON string encoding when `text` is quoted at both
// ends; anything else comes back unchanged. Never fails.
std::u16string JsonUnwrapString(std::u16string_view text);

}  // namespace Corvane
