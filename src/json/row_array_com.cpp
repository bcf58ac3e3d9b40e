// JSON text to host arrays: the row table of an array of objects, and the
// size-limited validation behind ToArray and JsonToArray.
#include "variant_convert.h"

#include <oleauto.h>

#include <new>
#include <unordered_map>
#include <vector>

#include "bstr.h"
#include "json_number.h"
#include "safearray.h"

namespace Corvane {

namespace {

struct RowArrayError {
    HRESULT hr;
    const char16_t* message;
};

[[noreturn]] void Fail(HRESULT hr, const char16_t* message) { throw RowArrayError{hr, message}; }

// One member of a data row: its column and where its value starts.
struct Cell {
    std::uint32_t column;
    std::size_t value;
};

bool StartsWith(std::u16string_view text, std::size_t pos, std::u16string_view word) {
    return text.size() - pos >= word.size() && text.compare(pos, word.size(), word) == 0;
}

// The end of the value at `pos`, or -1 when it has none. FindValueEnd answers
// the end of the text for malformed values too, so a value reaching the end
// is checked again with one space after it.
std::ptrdiff_t ExactValueEnd(std::u16string_view json, std::size_t pos) {
    int depth = 0;
    const std::ptrdiff_t end = FindValueEnd(json, pos, depth);
    if (end < 0 || static_cast<std::size_t>(end) < json.size()) return end;
    std::u16string tail(json.substr(pos));
    tail.push_back(u' ');
    depth = 0;
    const std::ptrdiff_t e = FindValueEnd(tail, 0, depth);
    if (e < 0 || static_cast<std::size_t>(e) >= tail.size()) return -1;
    return static_cast<std::ptrdiff_t>(pos) + e;
}

void SetBstr(VARIANT& cell, std::u16string_view text) {
    cell.bstrVal = MakeBstr(text);
    cell.vt = VT_BSTR;
}

// The cell for the member value at `pos`; the cell starts as VT_NULL.
void ReadCell(std::u16string_view json, std::size_t pos, VARIANT& cell) {
    const char16_t* const data = json.data();
    const char16_t c = json[pos];
    if (c == u'"') {
        const char16_t* close = FindStringEnd(data + pos, data + json.size());
        if (close) SetBstr(cell, DecodeJsonString(data + pos, close));
        return;
    }
    if (StartsWith(json, pos, u"null")) return;
    if (StartsWith(json, pos, u"true") || StartsWith(json, pos, u"false")) {
        cell.vt = VT_BOOL;
        cell.boolVal = c == u't' ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    }
    const std::ptrdiff_t end = ExactValueEnd(json, pos);
    if (end < 0) return;
    if (c == u'-' || (c >= u'0' && c <= u'9')) {
        const char16_t* p = data + pos;
        std::int32_t integer = 0;
        double number = 0;
        if (ScanNumber(p, data + end, integer, number)) {
            cell.vt = VT_I4;
            cell.lVal = integer;
        } else {
            cell.vt = VT_R8;
            cell.dblVal = number;
        }
        return;
    }
    SetBstr(cell, json.substr(pos, static_cast<std::size_t>(end) - pos));
}

HRESULT BuildRowArray(std::u16string_view json, std::int64_t sizeLimit, VARIANT* out) {
    if (static_cast<std::int64_t>(json.size()) > sizeLimit) Fail(E_FAIL, u"JsonToRowArray: input size exceeds limit.");
    const std::size_t n = json.size();
    const char16_t* const data = json.data();
    std::size_t pos = SkipSpace(json, 0);
    if (pos >= n || json[pos] != u'[') Fail(E_INVALIDARG, u"JsonToRowArray: input must be a JSON array.");
    pos = SkipSpace(json, pos + 1);
    if (pos >= n || json[pos] == u']') Fail(E_INVALIDARG, u"JsonToRowArray: empty array.");

    // Columns are the decoded keys, so a key written with escapes still finds its cells.
    std::unordered_map<std::u16string, std::uint32_t> columnIndex;
    std::vector<const std::u16string*> columns;
    std::vector<std::size_t> lastRowOf;    // per column: 1 + the last row that had it
    std::vector<Cell> cells;
    std::vector<std::size_t> rowFirstCell;
    for (;;) {
        int depth = 0;
        const std::ptrdiff_t end = FindValueEnd(json, pos, depth);
        if (end < 0) Fail(E_FAIL, u"JsonToRowArray: max nesting exceeded.");
        if (json[pos] == u'{') {
            rowFirstCell.push_back(cells.size());
            const std::size_t row = rowFirstCell.size();
            // Members walked as member lookup walks them: a lenient `:`, the
            // first of duplicate keys wins, the walk ends at anything malformed.
            std::size_t p = pos + 1;
            for (;;) {
                p = SkipSpace(json, p);
                if (p >= n || json[p] != u'"') break;
                const char16_t* keyEnd = FindStringEnd(data + p, data + n);
                if (!keyEnd) break;
                std::size_t value = SkipSpace(json, static_cast<std::size_t>(keyEnd - data));
                if (value < n && json[value] == u':') ++value;
                value = SkipSpace(json, value);
                if (value >= n) break;
                auto [it, added] = columnIndex.try_emplace(DecodeJsonString(data + p, keyEnd),
                                                           static_cast<std::uint32_t>(columns.size()));
                if (added) {
                    columns.push_back(&it->first);
                    lastRowOf.push_back(0);
                }
                if (lastRowOf[it->second] != row) {
                    lastRowOf[it->second] = row;
                    cells.push_back({it->second, value});
                }
                int valueDepth = 0;
                const std::ptrdiff_t valueEnd = FindValueEnd(json, value, valueDepth);
                if (valueEnd < 0) break;
                p = SkipSpace(json, static_cast<std::size_t>(valueEnd));
                if (p >= n || json[p] != u',') break;
                ++p;
            }
            if (rowFirstCell.size() > static_cast<std::size_t>(kRowArrayMaxRows))
                Fail(E_FAIL, u"JsonToRowArray: row count exceeds 100000.");
        }
        pos = SkipSpace(json, static_cast<std::size_t>(end));
        if (pos >= n || json[pos] != u',') break;
        pos = SkipSpace(json, pos + 1);
        if (pos >= n) break;
    }

    const std::size_t rows = rowFirstCell.size();
    if (rows == 0) Fail(E_INVALIDARG, u"JsonToRowArray: no data rows found.");
    if (columns.size() > static_cast<std::size_t>(kRowArrayMaxColumns))
        Fail(E_FAIL, u"JsonToRowArray: column count exceeds 1000.");
    rowFirstCell.push_back(cells.size());

    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rows + 1), 1}, {static_cast<ULONG>(columns.size()), 1}};
    UniqueSafeArray array(SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array.get()) Fail(E_OUTOFMEMORY, u"JsonToRowArray: SAFEARRAY allocation failed.");
    {
        SafeArrayDataLock lock(array.get(), VT_VARIANT, 2);
        if (FAILED(lock.Result())) Fail(E_OUTOFMEMORY, u"JsonToRowArray: SAFEARRAY allocation failed.");
        VARIANT* const cellsOut = lock.Data<VARIANT>();
        const std::size_t stride = rows + 1;   // dimension 1 (the row) varies fastest
        for (std::size_t c = 0; c < columns.size(); ++c) {
            SetBstr(cellsOut[c * stride], *columns[c]);
            for (std::size_t r = 1; r <= rows; ++r) cellsOut[c * stride + r].vt = VT_NULL;
        }
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t i = rowFirstCell[r]; i < rowFirstCell[r + 1]; ++i)
                ReadCell(json, cells[i].value, cellsOut[cells[i].column * stride + r + 1]);
        }
    }
    out->vt = VT_ARRAY | VT_VARIANT;
    out->parray = array.Detach();
    return S_OK;
}

struct ValidationTexts {
    const char16_t* empty;
    const char16_t* tooLarge;
    const char16_t* invalid;
};

constexpr ValidationTexts kEngineTexts{u"Corvane.Json: Empty JSON string", u"Corvane.Json: JSON exceeds maximum size",
                                       u"Corvane.Json: Invalid JSON"};
constexpr ValidationTexts kControlTexts{u"JsonToArray: empty JSON string.",
                                        u"JsonToArray: JSON size exceeds JsonToArrayMaxSize.", u"JsonToArray: invalid JSON."};

// The empty and byte-size checks shared by every entry point; S_OK when they pass.
HRESULT CheckSize(std::u16string_view json, std::int32_t maxSize, const ValidationTexts& texts, std::u16string& message) {
    if (json.empty()) {
        message = texts.empty;
        return E_INVALIDARG;
    }
    if (static_cast<std::int64_t>(json.size()) * 2 > maxSize) {
        message = texts.tooLarge;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT ValidatedCopy(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message,
                      const ValidationTexts& texts) {
    if (!out) return E_POINTER;
    VariantInit(out);
    const std::u16string_view text = BstrView(json);
    HRESULT hr = CheckSize(text, maxSize, texts, message);
    if (FAILED(hr)) return hr;
    if (!IsValidJson(text)) {
        message = texts.invalid;
        return E_INVALIDARG;
    }
    BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!copy) {
        message.clear();
        return E_OUTOFMEMORY;
    }
    out->vt = VT_BSTR;
    out->bstrVal = copy;
    return S_OK;
}

}  // namespace

HRESULT JsonToRowArray(std::u16string_view json, std::int64_t sizeLimit, VARIANT* out, std::u16string& message) {
    if (!out) return E_POINTER;
    VariantInit(out);
    try {
        return BuildRowArray(json, sizeLimit, out);
    } catch (const RowArrayError& e) {
        message = e.message;
        return e.hr;
    } catch (const std::bad_alloc&) {
        message = u"JsonToRowArray: memory allocation failed.";
        return E_OUTOFMEMORY;
    }
}

HRESULT EngineToArray(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message) {
    return ValidatedCopy(json, maxSize, out, message, kEngineTexts);
}

HRESULT ControlJsonToArray(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message) {
    return ValidatedCopy(json, maxSize, out, message, kControlTexts);
}

HRESULT EngineToRowArray(BSTR json, std::int32_t maxSize, VARIANT* out, std::u16string& message) {
    if (!out) return E_POINTER;
    VariantInit(out);
    HRESULT hr = CheckSize(BstrView(json), maxSize, kEngineTexts, message);
    if (FAILED(hr)) return hr;
    return JsonToRowArray(BstrView(json), maxSize, out, message);
}

}  // namespace Corvane
