// Flatten: one object mapping dotted and indexed keys to the leaves of a
// container, walked with an explicit stack so nesting costs no call depth.
#include "json_edit.h"

#include <vector>

#include "json_edit_internal.h"

namespace Corvane {

using namespace edit;

JsonEditResult JsonFlatten(std::u16string_view json) {
    return Guarded(json, u"JsonFlatten: memory allocation failed.", [&] {
        const std::size_t root = SkipSpace(json, 0);
        if (root >= json.size() || (json[root] != u'{' && json[root] != u'['))
            return Failure(json, u"JsonFlatten: input must be object or array.", kE_INVALIDARG);

        struct Pending {
            std::u16string prefix;
            std::size_t open;
        };
        std::vector<Pending> stack;
        stack.push_back({std::u16string(), root});
        std::u16string out = u"{";
        std::u16string key;
        bool first = true;
        while (!stack.empty()) {
            const Pending container = std::move(stack.back());
            stack.pop_back();
            ItemCursor cursor(json, container.open);
            Walk w = cursor.First();
            while (w == Walk::Item) {
                key = container.prefix;
                if (cursor.object()) {
                    if (!key.empty()) key.push_back(u'.');
                    // Decoded, so the key is escaped exactly once when written.
                    key.append(cursor.DecodedKey());
                } else {
                    key.push_back(u'[');
                    AppendDecimal(key, cursor.index());
                    key.push_back(u']');
                }
                const std::size_t start = cursor.valueStart();
                w = cursor.Next();
                if (w != Walk::Item && w != Walk::Closed) break;
                std::u16string_view leaf = json.substr(start, cursor.valueEnd() - start);
                const char16_t open = leaf.front();
                if (open == u'{' || open == u'[') {
                    // The value is well formed, so its first non-space unit after the bracket exists.
                    const std::size_t inner = SkipSpace(json, start + 1);
                    if (json[inner] != u'}' && json[inner] != u']') {
                        stack.push_back({key, start});
                        continue;
                    }
                    leaf = open == u'{' ? std::u16string_view(u"{}") : std::u16string_view(u"[]");
                }
                if (!first) out.push_back(u',');
                first = false;
                out.push_back(u'"');
                AppendEscaped(out, key);
                out.append(u"\":");
                out.append(leaf);
            }
            if (w == Walk::TooDeep) return Failure(json, u"JsonFlatten: max nesting exceeded.", kE_FAIL);
            if (w != Walk::Closed) return Failure(json, u"JsonFlatten: input must be object or array.", kE_INVALIDARG);
        }
        out.push_back(u'}');
        return Success(std::move(out));
    });
}

}  // namespace Corvane
