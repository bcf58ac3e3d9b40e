// The page calling the macro: which posted messages run which allowed macro,
// the page-side scripts (element wiring, the window.cv facade, the bridge
// inspector) and the rules for local content folders. Portable: no
// windows.h, tested natively. A page is untrusted: nothing it posts chooses
// a macro name of its own.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Corvane {

// The host's macro names a page may run by auto-dispatch. Entries are kept as
// the host wrote them (trimmed) and compared lower-cased.
class MacroAllowList {
public:
    // Empties the list, then adds each comma-separated, trimmed, non-empty name once.
    void Set(std::u16string_view list);
    void Clear() { entries_.clear(); }
    std::size_t Size() const { return entries_.size(); }
    // The entry as the host wrote it whose lower-cased form equals `normalised`, or null.
    const std::u16string* Find(std::u16string_view normalised) const;

private:
    std::vector<std::pair<std::u16string, std::u16string>> entries_;   // lower-cased, as written
};

// Letters, digits and `_` of the name, lower-cased; everything else dropped.
std::u16string NormaliseMacroName(std::u16string_view name);

// What auto-dispatch makes of a posted message. Only a JSON object whose one
// top-level "macro" member is a string names a macro; the macro that runs is
// the allow-list's entry, and "args" (a string, else empty) is decoded by
// the JSON engine, so escapes and Windows paths arrive intact.
struct DispatchDecision {
    enum class Verdict { NotConsumed, Dropped, Run } verdict = Verdict::NotConsumed;
    std::u16string macro;   // for Run: the allowed name as the host wrote it
    std::u16string args;
};
DispatchDecision DecideDispatch(std::u16string_view message, const MacroAllowList& allowed);

// Page scripts.
const std::u16string& ElementWiringScript();
const std::u16string& FacadeScript();
const std::u16string& InspectorScript();
const std::u16string& InspectorRemovalScript();
// Logs one page-to-host message in the inspector, the message as a string literal.
std::u16string InspectorLogScript(std::u16string_view message);

// Local content: the fixed virtual host names (never resolved on a network).
inline constexpr char16_t kContentHost[] = u"content.corvane.test";
inline constexpr char16_t kLegacyContentHost[] = u"local.corvane.test";

// Folders a content root may not be: `windows` and everything inside it, and
// each of `exact` itself (folders inside those are allowed). Paths are full
// Windows paths; case and trailing separators do not count.
bool IsProtectedFolder(std::u16string_view path, std::u16string_view windows,
                       const std::vector<std::u16string>& exact);

}  // namespace Corvane
