// The path-addressed editing operations: each walks the route once and
// splices one span of the input.
#include "json_edit.h"

#include "json_edit_internal.h"

namespace Corvane {

using namespace edit;

namespace {

// Tokenized path as moves; -1 on a syntax error, 0 for the root.
struct PathMoves {
    PathSegment segments[kMaxPathSegments];
    Move moves[kMaxMoves];
    int count = 0;
    explicit PathMoves(std::u16string_view path) {
        const int segmentCount = TokenizePath(path, segments);
        count = segmentCount < 0 ? -1 : MovesFromSegments(segments, segmentCount, moves);
    }
};

// Position of the closing bracket of the container at `open`, walked the way
// navigation walks; kNone when it is malformed or nests too deep.
std::size_t ClosingBracket(std::u16string_view json, std::size_t open) {
    ItemCursor cursor(json, open);
    Walk w = cursor.First();
    while (w == Walk::Item) w = cursor.Next();
    return w == Walk::Closed ? cursor.close() : kNone;
}

// `value` inserted before the bracket at `close`, with a comma if the container has content.
std::u16string InsertedBefore(std::u16string_view json, std::size_t close, std::u16string_view value) {
    const bool comma = NeedsComma(json, close);
    std::u16string out;
    out.reserve(json.size() + value.size() + 1);
    out.append(json.substr(0, close));
    if (comma) out.push_back(u',');
    out.append(value);
    out.append(json.substr(close));
    return out;
}

}  // namespace

JsonEditResult JsonCreateObject() { return Success(u"{}"); }
JsonEditResult JsonCreateArray() { return Success(u"[]"); }

JsonEditResult JsonSetValue(std::u16string_view json, std::u16string_view path, std::u16string_view value) {
    return Guarded(json, u"JsonSetValue: memory allocation failed.", [&] {
        if (path.empty()) return Success(std::u16string(value));
        const PathMoves route(path);
        if (route.count < 0) return Failure(json, u"JsonSetValue: path syntax error.", kE_INVALIDARG);
        Splice splice;
        const PlanError e = PlanSetValue(json, route.moves, route.count, value, splice);
        if (e.message) return Failure(json, e.message, e.hresult);
        return Success(Spliced(json, splice.start, splice.end, splice.fragment));
    });
}

JsonEditResult JsonRemoveKey(std::u16string_view json, std::u16string_view path) {
    return Guarded(json, u"JsonRemoveKey: memory allocation failed.", [&] {
        if (path.empty()) return Failure(json, u"JsonRemoveKey: cannot remove root.", kE_INVALIDARG);
        const PathMoves route(path);
        if (route.count < 0) return Failure(json, u"JsonRemoveKey: path syntax error.", kE_INVALIDARG);
        const NavResult nav = Navigate(json, route.moves, route.count);
        std::size_t end = 0;
        const End found = nav.status == Nav::Ok ? ValueEnd(json, nav.pos, nav.end, nav.where, end) : End::Ok;
        if (nav.status == Nav::TooDeep || found == End::TooDeep)
            return Failure(json, u"JsonRemoveKey: max nesting exceeded.", kE_FAIL);
        // Nothing there (or nothing that can be delimited): nothing to remove.
        if (nav.status != Nav::Ok || found != End::Ok) return Success(std::u16string(json));
        std::size_t start = nav.spanStart;
        std::size_t back = start;
        while (back > 0 && IsJsonSpace(json[back - 1])) --back;
        if (back > 0 && json[back - 1] == u',') {
            start = back - 1;
        } else {
            const std::size_t after = SkipSpace(json, end);
            if (after < json.size() && json[after] == u',') end = after + 1;
        }
        return Success(Spliced(json, start, end, {}));
    });
}

JsonEditResult JsonAppend(std::u16string_view json, std::u16string_view path, std::u16string_view value) {
    return Guarded(json, u"JsonAppend: memory allocation failed.", [&] {
        const PathMoves route(path);
        if (route.count < 0) return Failure(json, u"JsonAppend: path syntax error.", kE_INVALIDARG);
        const NavResult nav = Navigate(json, route.moves, route.count);
        const bool atObject = nav.pos < json.size() && json[nav.pos] == u'{';
        switch (nav.status) {
            case Nav::Ok: break;
            case Nav::KeyOnNonObject:
                return Failure(json, u"JsonAppend: path navigation failed.", kE_INVALIDARG);
            case Nav::IndexOnNonArray: return Failure(json, u"JsonAppend: expected array.", kE_INVALIDARG);
            case Nav::IndexMissing: return Failure(json, u"JsonAppend: array index not found.", kE_INVALIDARG);
            case Nav::KeyMissing: {
                // The rest of the path is created too, so the value lands where the path says.
                std::u16string leaf;
                leaf.reserve(value.size() + 2);
                leaf.push_back(u'[');
                leaf.append(value);
                leaf.push_back(u']');
                std::u16string member;
                AppendFragment(member, route.moves, nav.move, route.count, leaf, true);
                return Success(InsertedBefore(json, nav.close, member));
            }
            case Nav::MalformedObject: return Failure(json, u"JsonAppend: malformed object.", kE_INVALIDARG);
            case Nav::MalformedArray: return Failure(json, u"JsonAppend: malformed array.", kE_INVALIDARG);
            case Nav::TooDeep:
                return Failure(json, atObject ? u"JsonAppend: malformed object." : u"JsonAppend: malformed array.",
                               kE_INVALIDARG);
        }
        if (nav.pos >= json.size() || json[nav.pos] != u'[') {
            std::u16string message = u"JsonAppend: value at path ";
            message.append(path.empty() ? std::u16string_view(u"root") : path);
            message.append(u" is not an array.");
            return Failure(json, message, kE_INVALIDARG);
        }
        const std::size_t close = ClosingBracket(json, nav.pos);
        if (close == kNone) return Failure(json, u"JsonAppend: malformed array.", kE_INVALIDARG);
        return Success(InsertedBefore(json, close, value));
    });
}

JsonEditResult JsonInsert(std::u16string_view json, std::u16string_view path, std::int32_t index,
                          std::u16string_view value) {
    return Guarded(json, u"JsonInsert: memory allocation failed.", [&] {
        if (index < 0) return Failure(json, u"JsonInsert: negative index.", kE_INVALIDARG);
        const PathMoves route(path);
        if (route.count < 0) return Failure(json, u"JsonInsert: path syntax error.", kE_INVALIDARG);
        const NavResult nav = Navigate(json, route.moves, route.count);
        switch (nav.status) {
            case Nav::Ok: break;
            case Nav::KeyOnNonObject:
                return Failure(json, u"JsonInsert: path navigation failed.", kE_INVALIDARG);
            case Nav::KeyMissing: return Failure(json, u"JsonInsert: path not found.", kE_INVALIDARG);
            case Nav::IndexOnNonArray: return Failure(json, u"JsonInsert: expected array.", kE_INVALIDARG);
            case Nav::IndexMissing: return Failure(json, u"JsonInsert: array index not found.", kE_INVALIDARG);
            case Nav::MalformedObject:
            case Nav::MalformedArray:
            case Nav::TooDeep: return Failure(json, u"JsonInsert: malformed.", kE_INVALIDARG);
        }
        if (nav.pos >= json.size() || json[nav.pos] != u'[')
            return Failure(json, u"JsonInsert: target is not an array.", kE_INVALIDARG);
        ItemCursor cursor(json, nav.pos);
        std::size_t at = kNone;
        Walk w = cursor.First();
        while (w == Walk::Item) {
            if (cursor.index() == static_cast<std::size_t>(index)) at = cursor.valueStart();
            w = cursor.Next();
        }
        if (w != Walk::Closed) return Failure(json, u"JsonInsert: malformed.", kE_INVALIDARG);
        const std::size_t length = cursor.index();
        if (static_cast<std::size_t>(index) > length) {
            std::u16string message = u"JsonInsert: index ";
            AppendDecimal(message, static_cast<std::uint64_t>(index));
            message.append(u" exceeds array length ");
            AppendDecimal(message, length);
            message.push_back(u'.');
            return Failure(json, message, kE_BOUNDS);
        }
        if (at == kNone) return Success(InsertedBefore(json, cursor.close(), value));
        std::u16string fragment;
        fragment.reserve(value.size() + 1);
        fragment.append(value);
        fragment.push_back(u',');
        return Success(Spliced(json, at, at, fragment));
    });
}

JsonEditResult JsonClear(std::u16string_view json, std::u16string_view path) {
    return Guarded(json, u"JsonClear: memory allocation failed.", [&] {
        const PathMoves route(path);
        if (route.count < 0) return Failure(json, u"JsonClear: path syntax error.", kE_INVALIDARG);
        const NavResult nav = Navigate(json, route.moves, route.count);
        switch (nav.status) {
            case Nav::Ok: break;
            case Nav::KeyOnNonObject:
            case Nav::KeyMissing:
            case Nav::MalformedObject: return Failure(json, u"JsonClear: path not found.", kE_INVALIDARG);
            case Nav::IndexOnNonArray: return Failure(json, u"JsonClear: expected array.", kE_INVALIDARG);
            case Nav::IndexMissing:
            case Nav::MalformedArray: return Failure(json, u"JsonClear: index not found.", kE_INVALIDARG);
            case Nav::TooDeep: return Failure(json, u"JsonClear: max nesting exceeded.", kE_FAIL);
        }
        if (nav.pos >= json.size()) return Failure(json, u"JsonClear: invalid target.", kE_INVALIDARG);
        const char16_t open = json[nav.pos];
        if (open != u'{' && open != u'[')
            return Failure(json, u"JsonClear: target is a scalar, not a container.", kE_INVALIDARG);
        std::size_t end = 0;
        switch (ValueEnd(json, nav.pos, nav.end, nav.where, end)) {
            case End::TooDeep: return Failure(json, u"JsonClear: max nesting exceeded.", kE_FAIL);
            // An unclosed container would take the rest of the document with it.
            case End::Malformed: return Failure(json, u"JsonClear: invalid target.", kE_INVALIDARG);
            case End::Ok: break;
        }
        return Success(Spliced(json, nav.pos, end, open == u'{' ? u"{}" : u"[]"));
    });
}

JsonEditResult JsonCompact(std::u16string_view json, std::u16string_view path) {
    return Guarded(json, u"JsonCompact: memory allocation failed.", [&] {
        const PathMoves route(path);
        if (route.count < 0) return Failure(json, u"JsonCompact: invalid path.", kE_INVALIDARG);
        const NavResult nav = Navigate(json, route.moves, route.count);
        if (nav.status == Nav::TooDeep) return Failure(json, u"JsonCompact: max nesting exceeded.", kE_FAIL);
        if (nav.status != Nav::Ok) return Failure(json, u"JsonCompact: path not found.", kE_INVALIDARG);
        if (nav.pos >= json.size() || json[nav.pos] != u'[')
            return Failure(json, u"JsonCompact: target is not an array.", kE_INVALIDARG);
        std::u16string out;
        out.reserve(json.size());
        out.append(json.substr(0, nav.pos));
        out.push_back(u'[');
        bool first = true;
        ItemCursor cursor(json, nav.pos);
        Walk w = cursor.First();
        while (w == Walk::Item) {
            const std::size_t start = cursor.valueStart();
            w = cursor.Next();
            if (w != Walk::Item && w != Walk::Closed) break;
            const std::u16string_view element = json.substr(start, cursor.valueEnd() - start);
            if (element == u"null") continue;   // FindValueEnd accepted it, so it is the literal
            if (!first) out.push_back(u',');
            first = false;
            out.append(element);
        }
        if (w == Walk::TooDeep) return Failure(json, u"JsonCompact: max nesting exceeded.", kE_FAIL);
        if (w != Walk::Closed) return Failure(json, u"JsonCompact: unterminated array.", kE_FAIL);
        out.push_back(u']');
        out.append(json.substr(cursor.close() + 1));
        return Success(std::move(out));
    });
}

std::u16string JsonUnwrapString(std::u16string_view text) {
    const std::size_t n = text.size();
    if (n < 2 || text.front() != u'"' || text.back() != u'"') return std::u16string(text);
    // Only a single literal is unwrapped; `"a" "b"` would otherwise lose its tail.
    const char16_t* close = FindStringEnd(text.data(), text.data() + n);
    if (close != text.data() + n) return std::u16string(text);
    return DecodeJsonString(text.data(), text.data() + n);
}

}  // namespace Corvane
