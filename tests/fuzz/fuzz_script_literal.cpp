// The literal escaper on any text: the escaped text between single quotes is
// one well-formed literal (no bare quote or line break, no NUL, no unpaired
// surrogate, every backslash starting a known escape).
#include "fuzz_input.h"
#include "script_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Corvane;
    const std::u16string text = FuzzText(data, size);
    const std::u16string out = EscapeScriptLiteral(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        FUZZ_CHECK(c != u'\'' && c != u'"' && c != u'\n' && c != u'\r' && c != u'\0');
        if (c >= 0xD800 && c <= 0xDBFF) {
            FUZZ_CHECK(i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF);
            ++i;
            continue;
        }
        FUZZ_CHECK(!(c >= 0xDC00 && c <= 0xDFFF));
        if (c != u'\\') continue;
        FUZZ_CHECK(i + 1 < out.size());
        const char16_t next = out[++i];
        FUZZ_CHECK(next == u't' || next == u'n' || next == u'r' || next == u'"' || next == u'\'' || next == u'\\' ||
                   next == u'u');
        if (next == u'u') {
            FUZZ_CHECK(i + 4 < out.size());
            i += 4;
        }
    }
    // Nothing but the escapes is added.
    FUZZ_CHECK(out.size() >= text.size());
    return 0;
}
