// Registrar scripts (.rgs): the text that says which registry keys and values a
// class registers. The whole script is parsed, variables included, before the
// Windows side writes anything, so a faulty script never leaves a
// half-applied registration behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Corvane {

// Variable names compare without regard to ASCII case, as the platform's own
// registrar does (%MODULE% and %Module% are the same variable).
struct RegistrarNameLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const;
};
using ReplacementMap = std::map<std::u16string, std::u16string, RegistrarNameLess>;

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// What registering and unregistering do with a key:
//   Normal       register: create; unregister: delete with its subtree.
//   NoRemove     register: create; unregister: keep, but process its contents.
//   ForceRemove  register: delete with its subtree, then create; unregister: delete.
//   Delete       register: delete with its subtree; unregister: nothing.
enum class KeyDisposition { Normal, NoRemove, ForceRemove, Delete };

struct RegistryValue {
    enum class Type { String, Dword };
    Type type = Type::String;
    std::u16string text;       // Type::String
    std::uint32_t number = 0;  // Type::Dword
};

struct NamedValue {
    std::u16string name;
    RegistryValue value;
};

struct RegistryKey {
    std::u16string name;
    KeyDisposition disposition = KeyDisposition::Normal;
    std::optional<RegistryValue> defaultValue;
    std::vector<NamedValue> values;
    std::vector<RegistryKey> subkeys;  // in script order
};

struct RegistryTree {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::vector<NamedValue> values;  // named values on the root key itself
    std::vector<RegistryKey> keys;
};

struct RegistrarScriptError {
    std::size_t offset = 0;  // UTF-16 code units from the start of the script
    std::size_t line = 1;
    std::size_t column = 1;  // 1-based, in UTF-16 code units
    std::string message;     // UTF-8

    // "line 3, column 14: <message>"
    std::string Describe() const;
};

struct RegistrarScript {
    std::vector<RegistryTree> trees;
    std::optional<RegistrarScriptError> error;  // set: trees is empty

    explicit operator bool() const { return !error; }
};

// Parses the standard registrar syntax:
//   HKCR { NoRemove CLSID { ForceRemove {GUID} = s 'text' { val Name = d '5' } } }
// Roots: HKEY_CLASSES_ROOT/HKCR, HKEY_CURRENT_USER/HKCU, HKEY_LOCAL_MACHINE/HKLM,
// HKEY_USERS/HKU, HKEY_CURRENT_CONFIG/HKCC. Names are bare words or quoted with
// '…' ('' inside for a quote); values are s '…' (string) or d '…' (decimal, or
// hexadecimal written &H1F). %NAME% inside a name or value is replaced from
// `replacements` (an unknown name is an error), %% is a literal %. Replacement
// happens after the quotes are read, so a module path with a quote in it
// cannot change the script's structure.
RegistrarScript ParseRegistrarScript(std::u16string_view script, const ReplacementMap& replacements);

// The bytes of an .rgs file or REGISTRY resource as text: UTF-16LE when they
// start with its byte-order mark, otherwise UTF-8 (a UTF-8 byte-order mark is
// dropped). Trailing NUL padding is ignored. Empty for malformed text.
std::optional<std::u16string> DecodeRegistrarScript(std::string_view bytes);

}  // namespace Corvane
