#include "json_handles.h"

#include <algorithm>

namespace Corvane {

std::unique_ptr<CompiledPath> CompiledPath::Compile(std::u16string_view path) {
    PathSegment parsed[kMaxPathSegments];
    const int count = TokenizePath(path, parsed);
    if (count < 0) return nullptr;

    std::unique_ptr<CompiledPath> compiled(new CompiledPath);
    compiled->text_.assign(path.data() ? path : std::u16string_view());
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) total += parsed[i].keyLength;
    if (total) compiled->keys_.reset(new char16_t[total]);
    compiled->segments_.assign(parsed, parsed + count);
    char16_t* cursor = compiled->keys_.get();
    for (PathSegment& segment : compiled->segments_) {
        if (!segment.HasKey()) continue;
        std::copy_n(segment.key, segment.keyLength, cursor);
        segment.key = cursor;
        cursor += segment.keyLength;
    }
    return compiled;
}

}  // namespace Corvane
