// Shared machinery of the text editing operations: walking containers item by
// item, following a path while remembering what an edit needs, and building
// the fragments that SetValue splices in. Not part of the public API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "json_edit.h"
#include "json_path.h"
#include "json_text.h"

namespace Corvane::edit {

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

enum class Walk : std::uint8_t { Item, Closed, Malformed, TooDeep };

// Steps through the members or elements of the container opening at `open`
// with the same tolerance as path navigation (a member's `:` may be missing).
// Every value is delimited by FindValueEnd, so nothing reads past the text.
class ItemCursor {
public:
    ItemCursor(std::u16string_view json, std::size_t open) : json_(json), open_(open), object_(json[open] == u'{') {}

    // The first item (its header read) or Closed at an empty container.
    Walk First();
    // Past the current value and its separator, then the next item's header.
    Walk Next();

    bool object() const { return object_; }
    std::size_t index() const { return count_; }          // of the current item
    std::size_t keyStart() const { return keyStart_; }    // opening quote of the key
    std::size_t keyEnd() const { return keyEnd_; }        // past the closing quote
    std::size_t valueStart() const { return valueStart_; }
    std::size_t valueEnd() const { return valueEnd_; }    // of the item Next() just passed
    std::size_t close() const { return close_; }          // the closing bracket, once Closed
    std::u16string_view RawKey() const { return json_.substr(keyStart_ + 1, keyEnd_ - keyStart_ - 2); }
    std::u16string DecodedKey() const;

private:
    Walk Header();

    std::u16string_view json_;
    std::size_t open_;
    bool object_;
    std::size_t pos_ = 0;
    std::size_t count_ = 0;
    std::size_t keyStart_ = kNone, keyEnd_ = kNone, valueStart_ = kNone, valueEnd_ = kNone, close_ = kNone;
};

// True when the raw key literal at [quote, pastQuote) decodes to `key`.
bool KeyEquals(std::u16string_view json, std::size_t quote, std::size_t pastQuote, std::u16string_view key);

// One navigation move: a member key or an element index. A path step `a[2]`
// gives two moves, the second marked as coming from a key step.
struct Move {
    std::u16string_view key;
    std::int32_t index = -1;
    bool isKey = false;
    bool fromKeyStep = false;
};
inline constexpr int kMaxMoves = 2 * kMaxPathSegments;

// Moves of a tokenized path; returns their number.
int MovesFromSegments(const PathSegment* segments, int count, Move* moves);

enum class Where : std::uint8_t { Root, Member, Element };
enum class Nav : std::uint8_t { Ok, KeyOnNonObject, KeyMissing, IndexOnNonArray, IndexMissing,
                                MalformedObject, MalformedArray, TooDeep };

struct NavResult {
    Nav status = Nav::Ok;
    int move = 0;                 // the move that stopped the walk (== count when Ok)
    std::size_t pos = 0;          // the value at hand: the target, or where the move failed
    std::size_t end = kNone;      // its end when already known
    Where where = Where::Root;
    std::size_t spanStart = 0;    // Ok: the member's key quote or the element's start
    std::size_t close = kNone;    // KeyMissing / IndexMissing: the container's closing bracket
    std::size_t count = 0;        // IndexMissing: the element count
};

NavResult Navigate(std::u16string_view json, const Move* moves, int count);

enum class End : std::uint8_t { Ok, Malformed, TooDeep };
// End of the value at nav-style (pos, known end, where). A member value that
// runs to the end of the text cannot be closed by its object, so it is
// Malformed; only the root may end exactly at the end of the text.
End ValueEnd(std::u16string_view json, std::size_t pos, std::size_t known, Where where, std::size_t& end);

// Whether text inserted before the closing bracket at `close` needs a comma.
bool NeedsComma(std::u16string_view json, std::size_t close);

// Text for moves[from..count) built around `leaf`; when `asMember` the first
// move (a key) is written as a bare member rather than a one-member object.
void AppendFragment(std::u16string& out, const Move* moves, int from, int count, std::u16string_view leaf,
                    bool asMember);
void AppendNulls(std::u16string& out, std::size_t count);

struct Splice {
    std::size_t start = 0, end = 0;
    std::u16string fragment;
};

struct PlanError {
    const char16_t* message = nullptr;   // null: no error
    std::int32_t hresult = kS_OK;
    bool limit = false;                  // one of the auto-create limits
};

// The one splice JsonSetValue makes for `moves` (at least one), or an error.
PlanError PlanSetValue(std::u16string_view json, const Move* moves, int count, std::u16string_view leaf,
                       Splice& splice);

// Moves for a member key used as a path (merge, unflatten): the path's moves
// when it tokenizes to at least one step, otherwise the key as one literal
// member, so an empty key or one with `]` still lands under its own name.
// Unless `allowRootIndex`, a path starting with an index is literal too.
int MovesForKey(std::u16string_view key, bool allowRootIndex, PathSegment* segments, Move* moves);

// Decimal digits of `value`.
void AppendDecimal(std::u16string& out, std::uint64_t value);

// `input` with [start, end) replaced by `fragment`, reserved once.
std::u16string Spliced(std::u16string_view input, std::size_t start, std::size_t end, std::u16string_view fragment);

JsonEditResult Success(std::u16string text);
JsonEditResult Failure(std::u16string_view input, std::u16string_view message, std::int32_t hresult);

// Runs `body`, turning an allocation failure into `oomMessage` with E_OUTOFMEMORY.
template <class Body>
JsonEditResult Guarded(std::u16string_view input, const char16_t* oomMessage, Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    JsonEditResult result;
    result.hresult = kE_OUTOFMEMORY;
    try {
        result.message = oomMessage;
        result.text.assign(input);
    } catch (...) {
        // Out of memory even for the report: the caller still has its input.
    }
    return result;
}

}  // namespace Corvane::edit
