// Merge and Unflatten: both apply the members of one object, in order, as
// SetValue edits made in place on a growing result.
#include "json_edit.h"

#include <vector>

#include "json_edit_internal.h"

namespace Corvane {

using namespace edit;

namespace {

void ApplySplice(std::u16string& text, std::size_t offset, const Splice& splice) {
    text.replace(offset + splice.start, splice.end - splice.start, splice.fragment);
}

}  // namespace

JsonEditResult JsonMerge(std::u16string_view json1, std::u16string_view json2, bool deep) {
    return Guarded(json1, u"JsonMerge: memory allocation failed.", [&] {
        const std::size_t root1 = SkipSpace(json1, 0);
        if (root1 >= json1.size() || json1[root1] != u'{')
            return Failure(json1, u"JsonMerge: first argument is not an object.", kE_INVALIDARG);
        const std::size_t root2 = SkipSpace(json2, 0);
        if (root2 >= json2.size() || json2[root2] != u'{')
            return Failure(json1, u"JsonMerge: second argument is not an object.", kE_INVALIDARG);

        // Deep merges edit the nested object in place: a frame is an object of
        // json2 being applied to the object of the result starting at `target`.
        // Objects before `target` never move, so the offsets stay valid.
        struct Frame {
            ItemCursor source;
            Walk state;
            std::size_t target;
        };
        std::u16string result(json1);
        std::vector<Frame> frames;
        frames.push_back({ItemCursor(json2, root2), Walk::Closed, root1});
        frames.back().state = frames.back().source.First();
        PathSegment segments[kMaxPathSegments];
        Move moves[kMaxMoves];
        Splice splice;

        while (!frames.empty()) {
            Frame& frame = frames.back();
            if (frame.state == Walk::Closed) {
                frames.pop_back();
                continue;
            }
            if (frame.state == Walk::TooDeep) return Failure(json1, u"JsonMerge: max nesting exceeded.", kE_FAIL);
            if (frame.state == Walk::Malformed)
                return Failure(json1, u"JsonMerge: second argument is not an object.", kE_INVALIDARG);

            const std::u16string key = frame.source.DecodedKey();
            const std::size_t valueStart = frame.source.valueStart();
            frame.state = frame.source.Next();   // delimits the value before it is used
            if (frame.state == Walk::TooDeep) return Failure(json1, u"JsonMerge: max nesting exceeded.", kE_FAIL);
            if (frame.state == Walk::Malformed)
                return Failure(json1, u"JsonMerge: second argument is not an object.", kE_INVALIDARG);
            const std::u16string_view value = json2.substr(valueStart, frame.source.valueEnd() - valueStart);
            const std::u16string_view target = std::u16string_view(result).substr(frame.target);

            if (deep && value.front() == u'{') {
                Move literal;
                literal.key = key;
                literal.isKey = true;
                const NavResult nav = Navigate(target, &literal, 1);
                if (nav.status == Nav::TooDeep) return Failure(json1, u"JsonMerge: max nesting exceeded.", kE_FAIL);
                if (nav.status == Nav::MalformedObject)
                    return Failure(json1, u"JsonMerge: first argument is not an object.", kE_INVALIDARG);
                if (nav.status == Nav::Ok && target[nav.pos] == u'{') {
                    const std::size_t nested = frame.target + nav.pos;
                    frames.push_back({ItemCursor(json2, valueStart), Walk::Closed, nested});
                    frames.back().state = frames.back().source.First();
                    continue;
                }
            }

            // Keys act as paths, but never one that would replace the object itself.
            const int count = MovesForKey(key, false, segments, moves);
            const PlanError e = PlanSetValue(target, moves, count, value, splice);
            if (e.message) {
                if (e.limit) continue;   // as a plain SetValue would have refused it
                if (e.hresult == kE_FAIL) return Failure(json1, u"JsonMerge: max nesting exceeded.", kE_FAIL);
                return Failure(json1, u"JsonMerge: first argument is not an object.", kE_INVALIDARG);
            }
            ApplySplice(result, frame.target, splice);
        }
        return Success(std::move(result));
    });
}

JsonEditResult JsonUnflatten(std::u16string_view json) {
    return Guarded(json, u"JsonUnflatten: memory allocation failed.", [&] {
        const std::size_t root = SkipSpace(json, 0);
        if (root >= json.size() || json[root] != u'{')
            return Failure(json, u"JsonUnflatten: input must be a flat object.", kE_INVALIDARG);
        std::u16string result = u"{}";
        PathSegment segments[kMaxPathSegments];
        Move moves[kMaxMoves];
        Splice splice;
        ItemCursor cursor(json, root);
        Walk w = cursor.First();
        while (w == Walk::Item) {
            const std::u16string key = cursor.DecodedKey();
            const std::size_t valueStart = cursor.valueStart();
            w = cursor.Next();
            if (w != Walk::Item && w != Walk::Closed) break;
            const std::u16string_view value = json.substr(valueStart, cursor.valueEnd() - valueStart);
            // A leading index (`[0].a`, as Flatten writes for arrays) rebuilds a root array.
            const int count = MovesForKey(key, true, segments, moves);
            const PlanError e = PlanSetValue(result, moves, count, value, splice);
            if (e.message) return Failure(json, e.message, e.hresult);
            ApplySplice(result, 0, splice);
        }
        if (w == Walk::TooDeep) return Failure(json, u"JsonUnflatten: max nesting exceeded.", kE_FAIL);
        if (w != Walk::Closed) return Failure(json, u"JsonUnflatten: input must be a flat object.", kE_INVALIDARG);
        return Success(std::move(result));
    });
}

}  // namespace Corvane
