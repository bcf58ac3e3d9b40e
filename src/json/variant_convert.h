// Conversions between host values (VARIANT, SAFEARRAY, dictionary and
// recordset objects) and JSON text. Every function returns an HRESULT; where a
// failure has a host-visible message it is put in `message` for the caller to
// install as rich error information; E_OUTOFMEMORY leaves it empty except
// where JsonToRowArray names its own text. Nothing here throws.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "json_document.h"
#include "json_text.h"

namespace Corvane {

// Host values nesting deeper than this (arrays in variants, dictionaries in
// dictionaries, by-reference chains) are refused rather than recursed into.
inline constexpr int kVariantMaxDepth = 256;
// The recordset walk stops after this many rows.
inline constexpr std::int32_t kRecordsetMaxRows = 100000;
// JsonToRowArray limits: data rows and columns.
inline constexpr std::int32_t kRowArrayMaxRows = 100000;
inline constexpr std::int32_t kRowArrayMaxColumns = 1000;
// The browser pool's fixed JsonToRowArray size limit and the control's default JsonToArrayMaxSize.
inline constexpr std::int32_t kDefaultJsonArrayMaxSize = 52428800;

// The portable scalar as a VARIANT (initialised first): VT_EMPTY, VT_NULL, VT_BOOL, VT_I4, VT_R8 or VT_BSTR.
HRESULT ScalarToVariant(const JsonScalar& scalar, VARIANT* out);
// A document node as hosts get it: containers as their compact JSON in a VT_BSTR.
HRESULT NodeToVariant(const JsonNode& node, VARIANT* out);
// The value at `begin` read straight from the text (strings decoded, containers verbatim).
HRESULT TextValueToVariant(const char16_t* begin, const char16_t* end, VARIANT* out);

// Appends the JSON of `value`. Unsupported or unreadable content becomes null; fails only for
// nesting past kVariantMaxDepth or a value containing itself (E_FAIL) and for memory (E_OUTOFMEMORY).
// On failure `out` is left as it was on entry.
HRESULT VariantToJson(const VARIANT& value, std::u16string& out, std::u16string& message);
// VariantToJson into a fresh BSTR (BuildJson); E_OUTOFMEMORY when the string cannot be allocated.
HRESULT VariantToJsonBstr(const VARIANT& value, BSTR* out, std::u16string& message);

// Appends the rows of an ADO/DAO recordset as a JSON array of objects, late-bound through
// MoveFirst/EOF/Fields/Count/Name/Value/MoveNext, at most kRecordsetMaxRows rows.
// A null recordset gives E_INVALIDARG. On failure `out` is left as it was on entry.
HRESULT RecordsetToJson(IDispatch* recordset, std::u16string& out, std::u16string& message);

// A JSON array of objects as a 1-based two-dimensional VT_ARRAY|VT_VARIANT with a header row.
// `sizeLimit` bounds the length in code units. Any failure leaves *out VT_EMPTY and sets `message`.
HRESULT JsonToRowArray(std::u16string_view json, std::int64_t sizeLimit, VARIANT* out, std::u16string& message);

// The engine's ToArray: validates `json` (null reads as empty) against `maxSize` bytes and
// hands back a VT_BSTR copy; "Corvane.Json: …" messages.
HRESULT EngineToArray(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message);
// The engine's ToRowArray: the empty and byte-size checks with "Corvane.Json: …" messages, then JsonToRowArray.
HRESULT EngineToRowArray(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message);
// The control's JsonToArray: as EngineToArray with the "JsonToArray: …" messages and JsonToArrayMaxSize.
HRESULT ControlJsonToArray(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message);

}  // namespace Corvane
