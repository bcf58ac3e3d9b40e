// The script-object bridge's rules: which aliases, member names and paths
// are accepted, the scripts each operation sends, how the page's answer is
// read, and the control's table of bindings. Portable: no windows.h, tested
// natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "json_text.h"

namespace Corvane {

// The flags argument of BindScriptObject; other bits are kept without effect.
enum BridgeBindFlag : std::uint32_t {
    kBindValidate = 1,
    kBindTransient = 2,
    kBindRawExpression = 4,
    kBindAsync = 8,           // accepted and stored; changes nothing
    kBindFailIfBound = 16,
    kBindFollowResolution = 32,
};

// The bridge's failure codes, as the HRESULTs members return.
namespace BridgeCode {
inline constexpr std::int32_t AliasNotFound = static_cast<std::int32_t>(0x80040501);
inline constexpr std::int32_t ObjectNotResolved = static_cast<std::int32_t>(0x80040502);
inline constexpr std::int32_t MethodNotFound = static_cast<std::int32_t>(0x80040503);
inline constexpr std::int32_t PropertyNotFound = static_cast<std::int32_t>(0x80040504);
inline constexpr std::int32_t JsException = static_cast<std::int32_t>(0x80040505);
inline constexpr std::int32_t PromiseReturned = static_cast<std::int32_t>(0x80040506);
inline constexpr std::int32_t Timeout = static_cast<std::int32_t>(0x80040507);
inline constexpr std::int32_t NotReady = static_cast<std::int32_t>(0x80040508);
inline constexpr std::int32_t InvalidArg = static_cast<std::int32_t>(0x80040509);
inline constexpr std::int32_t InvalidExpression = static_cast<std::int32_t>(0x8004050A);
inline constexpr std::int32_t ReentryBlocked = static_cast<std::int32_t>(0x8004050B);
inline constexpr std::int32_t AliasAlreadyBound = static_cast<std::int32_t>(0x8004050C);
inline constexpr std::int32_t PropertyIsFunction = static_cast<std::int32_t>(0x8004050D);
}  // namespace BridgeCode

inline constexpr int kBridgeMaxDepth = 16;
inline constexpr std::size_t kBridgeMaxText = 52428800;   // an argument string or a whole script, in units
inline constexpr std::size_t kBridgeMaxMessage = 4096;

// "S_OK" for 0, the code's name for a bridge code, else "<unknown>".
const char16_t* BridgeCodeName(std::int32_t code);

// Aliases: an identifier (letters, digits not first, `_`, `$`) not starting
// with the reserved "__cvn_". Member names: an identifier of 1 to 256 units.
bool IsBridgeAlias(std::u16string_view alias);
bool IsBridgeMemberName(std::u16string_view name);

// Null when `path` (null for a missing text) is an identifier followed by
// `.name`, `[digits]` or `["key"]` steps; else the first fault's message.
const char16_t* CheckBridgePath(const std::u16string_view* path);

enum class BridgeOp { Call, Get, Set };

std::u16string BridgeBootstrapScript();
std::u16string BridgeBindScript(std::int64_t handle, std::u16string_view expression, bool validate);
std::u16string BridgeDeleteScript(std::int64_t handle);
// The operation's script; `values` are the arguments' JSON texts (an empty
// text stands for null; a set uses the first, or null). With `follow` the
// object is resolved again from `expression` first.
std::u16string BridgeOperationScript(BridgeOp op, std::int64_t handle, std::u16string_view member,
                                     const std::vector<std::u16string>& values, bool follow,
                                     std::u16string_view expression);

// What the page's envelope says: code 0 with the result (Null for undefined),
// or a bridge code with its message.
struct BridgeOutcome {
    std::int32_t code = 0;
    std::u16string message;
    JsonScalar value;
};
BridgeOutcome ReadBridgeEnvelope(std::u16string_view json);

struct BridgeBinding {
    std::u16string alias;
    std::int64_t handle = 0;
    std::u16string expression;
    std::uint32_t flags = 0;
};

// 64-bit FNV-1a over the alias's UTF-16 units, low byte first.
struct AliasHash {
    std::size_t operator()(const std::u16string& alias) const noexcept;
};

// One control's bridge: its bindings, handles never reused, the binds made
// before the browser was ready, the nesting depth and the last error.
class ScriptBridge {
public:
    const BridgeBinding* Find(std::u16string_view alias) const;
    // Binds or rebinds with a fresh handle; `replaced` gets the old handle, or 0.
    const BridgeBinding& Bind(std::u16string_view alias, std::u16string_view expression, std::uint32_t flags,
                              std::int64_t& replaced);
    // Removes the binding and every pending bind of the alias; the handle, or 0.
    std::int64_t Unbind(std::u16string_view alias);
    // A bind made before readiness, replacing any pending one of the alias.
    void Defer(const BridgeBinding& binding);
    // The pending binds still current (same alias, same handle), in order; the queue empties.
    std::vector<BridgeBinding> TakePending();
    // After a completed navigation: transient bindings go; the others are returned to bind again.
    std::vector<BridgeBinding> Renavigate();

    // The error slot: overwritten by every error, never cleared by success.
    void SetError(std::int32_t code, std::u16string_view message);
    std::int32_t ErrorCode() const { return errorCode_; }
    const std::u16string& ErrorText() const { return errorText_; }

    int depth = 0;
    bool bootstrapped = false;

private:
    std::unordered_map<std::u16string, BridgeBinding, AliasHash> bindings_;
    std::int64_t nextHandle_ = 1;
    std::deque<BridgeBinding> pending_;
    std::int32_t errorCode_ = 0;
    std::u16string errorText_;
};

}  // namespace Corvane
