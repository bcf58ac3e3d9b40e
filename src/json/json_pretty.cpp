// PrettyPrint: re-indents character by character without validating. The
// output is measured first: deep nesting grows it quadratically, so a size
// that could not be delivered is refused before anything is allocated.
#include "json_edit.h"

#include <cstdint>

#include "json_edit_internal.h"

namespace Corvane {

using namespace edit;

namespace {

struct CountingSink {
    std::uint64_t size = 0;
    void Put(char16_t) { ++size; }
    void Break(std::int64_t depth) { size += 1 + (depth > 0 ? 2 * static_cast<std::uint64_t>(depth) : 0); }
};

struct TextSink {
    std::u16string& out;
    void Put(char16_t c) { out.push_back(c); }
    void Break(std::int64_t depth) {
        out.push_back(u'\n');
        if (depth > 0) out.append(2 * static_cast<std::size_t>(depth), u' ');
    }
};

template <class Sink>
void Render(std::u16string_view json, Sink& sink) {
    const std::size_t n = json.size();
    std::int64_t depth = 0;
    std::size_t i = 0;
    while (i < n) {
        const char16_t c = json[i++];
        switch (c) {
            case u' ': case u'\t': case u'\r': case u'\n':
                break;
            case u'"':
                sink.Put(c);
                while (i < n) {
                    const char16_t d = json[i++];
                    sink.Put(d);
                    if (d == u'"') break;
                    if (d == u'\\' && i < n) sink.Put(json[i++]);
                }
                break;
            case u'{': case u'[': {
                sink.Put(c);
                const std::size_t next = SkipSpace(json, i);
                if (next < n && (json[next] == u'}' || json[next] == u']')) {
                    sink.Put(json[next]);
                    i = next + 1;
                } else {
                    sink.Break(++depth);
                }
                break;
            }
            case u'}': case u']':
                sink.Break(--depth);
                sink.Put(c);
                break;
            case u',':
                sink.Put(c);
                sink.Break(depth);
                break;
            case u':':
                sink.Put(c);
                sink.Put(u' ');
                break;
            default:
                sink.Put(c);
                break;
        }
    }
}

}  // namespace

JsonEditResult JsonPrettyPrint(std::u16string_view json) {
    return Guarded(json, u"JsonPrettyPrint: memory allocation failed.", [&] {
        if (json.size() > kPrettyPrintMaxInput)
            return Failure(json, u"JsonPrettyPrint: input exceeds 5MB limit. Use for debugging only.", kE_FAIL);
        CountingSink measure;
        Render(json, measure);
        if (measure.size > kPrettyPrintMaxOutput)
            return Failure(json, u"JsonPrettyPrint: memory allocation failed.", kE_OUTOFMEMORY);
        std::u16string out;
        out.reserve(static_cast<std::size_t>(measure.size));
        TextSink write{out};
        Render(json, write);
        return Success(std::move(out));
    });
}

}  // namespace Corvane
