// Walking and planning for the editing operations: container cursors, path
// navigation that keeps the positions an edit needs, and SetValue's splice.
#include "json_edit_internal.h"

namespace Corvane::edit {

Walk ItemCursor::First() {
    count_ = 0;
    pos_ = SkipSpace(json_, open_ + 1);
    if (pos_ < json_.size() && json_[pos_] == (object_ ? u'}' : u']')) {
        close_ = pos_;
        return Walk::Closed;
    }
    return Header();
}

Walk ItemCursor::Header() {
    const std::size_t n = json_.size();
    if (object_) {
        if (pos_ >= n || json_[pos_] != u'"') return Walk::Malformed;
        const char16_t* quote = FindStringEnd(json_.data() + pos_, json_.data() + n);
        if (!quote) return Walk::Malformed;
        keyStart_ = pos_;
        keyEnd_ = static_cast<std::size_t>(quote - json_.data());
        std::size_t p = SkipSpace(json_, keyEnd_);
        if (p < n && json_[p] == u':') ++p;
        valueStart_ = SkipSpace(json_, p);
    } else {
        valueStart_ = pos_;
    }
    return valueStart_ < n ? Walk::Item : Walk::Malformed;
}

Walk ItemCursor::Next() {
    const std::size_t n = json_.size();
    int depth = 0;
    const std::ptrdiff_t end = FindValueEnd(json_, valueStart_, depth);
    if (end < 0) return Walk::TooDeep;
    // A value reaching the end of the text leaves its container unclosed.
    if (static_cast<std::size_t>(end) >= n) return Walk::Malformed;
    valueEnd_ = static_cast<std::size_t>(end);
    ++count_;
    pos_ = SkipSpace(json_, valueEnd_);
    if (pos_ >= n) return Walk::Malformed;
    if (json_[pos_] == (object_ ? u'}' : u']')) {
        close_ = pos_;
        return Walk::Closed;
    }
    if (json_[pos_] != u',') return Walk::Malformed;
    pos_ = SkipSpace(json_, pos_ + 1);
    return Header();
}

std::u16string ItemCursor::DecodedKey() const {
    return DecodeJsonString(json_.data() + keyStart_, json_.data() + keyEnd_);
}

bool KeyEquals(std::u16string_view json, std::size_t quote, std::size_t pastQuote, std::u16string_view key) {
    const std::u16string_view raw = json.substr(quote + 1, pastQuote - quote - 2);
    // Most keys carry no escapes and compare as written.
    if (raw.find(u'\\') == std::u16string_view::npos) return raw == key;
    return DecodeJsonString(json.data() + quote, json.data() + pastQuote) == key;
}

int MovesFromSegments(const PathSegment* segments, int count, Move* moves) {
    int m = 0;
    for (int s = 0; s < count; ++s) {
        if (segments[s].HasKey()) {
            moves[m].key = segments[s].Key();
            moves[m].index = -1;
            moves[m].isKey = true;
            moves[m].fromKeyStep = false;
            ++m;
        }
        if (segments[s].index >= 0) {
            moves[m].key = {};
            moves[m].index = segments[s].index;
            moves[m].isKey = false;
            moves[m].fromKeyStep = segments[s].HasKey();
            ++m;
        }
    }
    return m;
}

NavResult Navigate(std::u16string_view json, const Move* moves, int count) {
    const std::size_t n = json.size();
    NavResult r;
    r.pos = SkipSpace(json, 0);
    r.spanStart = r.pos;
    for (int m = 0; m < count; ++m) {
        r.move = m;
        const Move& move = moves[m];
        const char16_t at = r.pos < n ? json[r.pos] : u'\0';
        if (move.isKey) {
            if (at != u'{') {
                r.status = Nav::KeyOnNonObject;
                return r;
            }
            ItemCursor cursor(json, r.pos);
            Walk w = cursor.First();
            while (w == Walk::Item && !KeyEquals(json, cursor.keyStart(), cursor.keyEnd(), move.key)) w = cursor.Next();
            if (w == Walk::Item) {
                r.spanStart = cursor.keyStart();
                r.pos = cursor.valueStart();
                r.end = kNone;
                r.where = Where::Member;
                continue;
            }
            if (w == Walk::Closed) {
                r.status = Nav::KeyMissing;
                r.close = cursor.close();
            } else {
                r.status = w == Walk::TooDeep ? Nav::TooDeep : Nav::MalformedObject;
            }
            return r;
        }
        if (at != u'[') {
            r.status = Nav::IndexOnNonArray;
            return r;
        }
        // The whole array is walked, as navigation does: a hit in a broken array is no answer.
        ItemCursor cursor(json, r.pos);
        std::size_t hitStart = kNone, hitEnd = kNone;
        Walk w = cursor.First();
        while (w == Walk::Item) {
            const bool hit = cursor.index() == static_cast<std::size_t>(move.index);
            if (hit) hitStart = cursor.valueStart();
            w = cursor.Next();
            if (hit) hitEnd = cursor.valueEnd();
        }
        if (w != Walk::Closed) {
            r.status = w == Walk::TooDeep ? Nav::TooDeep : Nav::MalformedArray;
            return r;
        }
        if (hitStart == kNone) {
            r.status = Nav::IndexMissing;
            r.close = cursor.close();
            r.count = cursor.index();
            return r;
        }
        r.spanStart = r.pos = hitStart;
        r.end = hitEnd;
        r.where = Where::Element;
    }
    r.move = count;
    r.status = Nav::Ok;
    return r;
}

End ValueEnd(std::u16string_view json, std::size_t pos, std::size_t known, Where where, std::size_t& end) {
    if (known != kNone) {
        end = known;
        return End::Ok;
    }
    int depth = 0;
    const std::ptrdiff_t e = FindValueEnd(json, pos, depth);
    if (e < 0) return End::TooDeep;
    if (static_cast<std::size_t>(e) >= json.size() && where != Where::Root) return End::Malformed;
    end = static_cast<std::size_t>(e);
    return End::Ok;
}

bool NeedsComma(std::u16string_view json, std::size_t close) {
    std::size_t p = close;
    while (p > 0 && IsJsonSpace(json[p - 1])) --p;
    return p > 0 && json[p - 1] != u'{' && json[p - 1] != u'[';
}

void AppendNulls(std::u16string& out, std::size_t count) {
    static constexpr std::u16string_view kNull = u"null,";
    const std::size_t at = out.size();
    out.resize(at + count * kNull.size());
    for (std::size_t i = 0; i < count; ++i) kNull.copy(out.data() + at + i * kNull.size(), kNull.size());
}

void AppendFragment(std::u16string& out, const Move* moves, int from, int count, std::u16string_view leaf,
                    bool asMember) {
    char16_t closers[kMaxMoves];
    int open = 0;
    for (int t = from; t < count; ++t) {
        const Move& move = moves[t];
        if (move.isKey) {
            if (t != from || !asMember) {
                out.push_back(u'{');
                closers[open++] = u'}';
            }
            out.push_back(u'"');
            AppendEscaped(out, move.key);
            out.append(u"\":");
        } else {
            out.push_back(u'[');
            AppendNulls(out, static_cast<std::size_t>(move.index));
            closers[open++] = u']';
        }
    }
    out.append(leaf);
    while (open > 0) out.push_back(closers[--open]);
}

namespace {

constexpr PlanError Error(const char16_t* message, std::int32_t hresult = kE_INVALIDARG, bool limit = false) {
    return {message, hresult, limit};
}

constexpr PlanError kMaxNesting = Error(u"JsonSetValue: max JSON nesting depth (256) exceeded.", kE_FAIL);
constexpr PlanError kMalformedObject = Error(u"JsonSetValue: malformed object.");

// Points `splice` at the whole value at hand (nav.pos).
PlanError ReplaceAtHand(std::u16string_view json, const NavResult& nav, Splice& splice) {
    std::size_t end = 0;
    switch (ValueEnd(json, nav.pos, nav.end, nav.where, end)) {
        case End::TooDeep: return kMaxNesting;
        case End::Malformed: return kMalformedObject;   // only member values can be unclosed
        case End::Ok: break;
    }
    splice.start = nav.pos;
    splice.end = end;
    return {};
}

}  // namespace

PlanError PlanSetValue(std::u16string_view json, const Move* moves, int count, std::u16string_view leaf,
                       Splice& splice) {
    const std::size_t root = SkipSpace(json, 0);
    if (root >= json.size() || (json[root] != u'{' && json[root] != u'['))
        return Error(u"JsonSetValue: input is not valid JSON.");
    const NavResult nav = Navigate(json, moves, count);
    splice.fragment.clear();
    switch (nav.status) {
        case Nav::Ok: {
            const PlanError e = ReplaceAtHand(json, nav, splice);
            if (!e.message) splice.fragment.assign(leaf);
            return e;
        }
        case Nav::KeyOnNonObject: {
            if (nav.move == 0) return Error(u"JsonSetValue: path expects object but root is array.");
            const PlanError e = ReplaceAtHand(json, nav, splice);
            if (!e.message) AppendFragment(splice.fragment, moves, nav.move, count, leaf, false);
            return e;
        }
        case Nav::KeyMissing:
            if (NeedsComma(json, nav.close)) splice.fragment.push_back(u',');
            AppendFragment(splice.fragment, moves, nav.move, count, leaf, true);
            splice.start = splice.end = nav.close;
            return {};
        case Nav::IndexOnNonArray: {
            const Move& move = moves[nav.move];
            if (move.fromKeyStep && move.index > kAutoCreateMaxIndex)
                return Error(u"JsonSetValue: array auto-creation index exceeds limit.", kE_INVALIDARG, true);
            const PlanError e = ReplaceAtHand(json, nav, splice);
            if (!e.message) AppendFragment(splice.fragment, moves, nav.move, count, leaf, false);
            return e;
        }
        case Nav::IndexMissing: {
            const Move& move = moves[nav.move];
            const std::size_t extra = static_cast<std::size_t>(move.index) - nav.count;
            if (move.fromKeyStep && nav.move == count - 1 && extra > static_cast<std::size_t>(kAutoCreateMaxIndex))
                return Error(u"JsonSetValue: array extension exceeds auto-create limit.", kE_INVALIDARG, true);
            if (NeedsComma(json, nav.close)) splice.fragment.push_back(u',');
            AppendNulls(splice.fragment, extra);
            AppendFragment(splice.fragment, moves, nav.move + 1, count, leaf, false);
            splice.start = splice.end = nav.close;
            return {};
        }
        case Nav::MalformedObject: return kMalformedObject;
        case Nav::MalformedArray: return Error(u"JsonSetValue: malformed array.");
        case Nav::TooDeep: return kMaxNesting;
    }
    return kMaxNesting;
}

int MovesForKey(std::u16string_view key, bool allowRootIndex, PathSegment* segments, Move* moves) {
    const int count = TokenizePath(key, segments);
    if (count > 0 && (allowRootIndex || segments[0].HasKey())) return MovesFromSegments(segments, count, moves);
    moves[0].key = key;
    moves[0].index = -1;
    moves[0].isKey = true;
    moves[0].fromKeyStep = false;
    return 1;
}

void AppendDecimal(std::u16string& out, std::uint64_t value) {
    char16_t digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value);
    while (n > 0) out.push_back(digits[--n]);
}

std::u16string Spliced(std::u16string_view input, std::size_t start, std::size_t end, std::u16string_view fragment) {
    std::u16string out;
    out.reserve(input.size() - (end - start) + fragment.size());
    out.append(input.substr(0, start));
    out.append(fragment);
    out.append(input.substr(end));
    return out;
}

JsonEditResult Success(std::u16string text) {
    JsonEditResult result;
    result.ok = true;
    result.text = std::move(text);
    return result;
}

JsonEditResult Failure(std::u16string_view input, std::u16string_view message, std::int32_t hresult) {
    JsonEditResult result;
    result.text.assign(input);
    result.message.assign(message);
    result.hresult = hresult;
    return result;
}

}  // namespace Corvane::edit
