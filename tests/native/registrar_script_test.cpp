// Registrar scripts: the tree the parser builds, replacement variables,
// DWORDs, the errors (with their positions) and the decoding of script bytes.
// What the project's own scripts register is checked once, under Wine, in
// registration_test.
#include <gtest/gtest.h>

#include "registrar_script.h"
#include "test_data.h"

using namespace Corvane;
using CorvaneTest::Narrow;

namespace {

// The parsed trees as text: keys as [disposition ]'name'[=value][ { contents }],
// named values as val 'name'=value, values as s'text' or d<number>.
std::string Text(const RegistryValue& v) {
    return v.type == RegistryValue::Type::Dword ? "d" + std::to_string(v.number) : "s'" + Narrow(v.text) + "'";
}
std::string Dump(const std::vector<NamedValue>& values, const std::vector<RegistryKey>& keys) {
    static const char* const dispositions[] = {"", "NoRemove ", "ForceRemove ", "Delete "};
    std::string out;
    for (const auto& v : values) out += " val '" + Narrow(v.name) + "'=" + Text(v.value);
    for (const auto& k : keys) {
        out += std::string(" ") + dispositions[static_cast<int>(k.disposition)] + "'" + Narrow(k.name) + "'";
        if (k.defaultValue) out += "=" + Text(*k.defaultValue);
        if (!k.values.empty() || !k.subkeys.empty()) out += " {" + Dump(k.values, k.subkeys) + " }";
    }
    return out;
}
std::string Dump(std::u16string_view text, const ReplacementMap& vars = {}) {
    static const char* const roots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};
    RegistrarScript s = ParseRegistrarScript(text, vars);
    if (!s) return "error: " + s.error->Describe();
    std::string out;
    for (const auto& t : s.trees)
        out += std::string(out.empty() ? "" : " ") + roots[static_cast<int>(t.root)] + " {" + Dump(t.values, t.keys) + " }";
    return out;
}

TEST(RegistrarScriptParse, BuildsTheTree) {
    EXPECT_EQ(Dump(uR"(HKCR
{
    Plain.Name = s 'Desc with ''quotes''' { CLSID=s'{0000}' }
    NoRemove CLSID
    {
        ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Class'
        {
            'Implemented Categories' { {7DD95801-9882-11CF-9FA9-00AA006C42C4}}
            Count = d '&H1F'
            val 'Named ''one''' = s ''
        }
    }
    Delete Obsolete
})"),
              "HKCR { 'Plain.Name'=s'Desc with 'quotes'' { 'CLSID'=s'{0000}' } NoRemove 'CLSID' { ForceRemove "
              "'{11111111-2222-3333-4444-555555555555}'=s'Class' { val 'Named 'one''=s'' 'Implemented Categories' "
              "{ '{7DD95801-9882-11CF-9FA9-00AA006C42C4}' } 'Count'=d31 } } Delete 'Obsolete' }");
    // Roots and keywords in any case; quoted, a keyword is an ordinary name.
    EXPECT_EQ(Dump(u"hkcu { noremove A FORCEREMOVE B VAL v = d '42' 'NoRemove' 'val' = s 'y' }"),
              "HKCU { val 'v'=d42 NoRemove 'A' ForceRemove 'B' 'NoRemove' 'val'=s'y' }");
    EXPECT_EQ(Dump(u"HKEY_CLASSES_ROOT {} HKEY_CURRENT_USER {} HKEY_LOCAL_MACHINE {} HkLm {} HKEY_USERS {} HKU {} "
                   u"HKEY_CURRENT_CONFIG {} HKCC {}"),
              "HKCR { } HKCU { } HKLM { } HKLM { } HKU { } HKU { } HKCC { } HKCC { }");
}

TEST(RegistrarScriptParse, Dwords) {
    const std::pair<std::u16string_view, std::optional<std::uint32_t>> cases[] = {
        {u"0", 0u}, {u"131473", 131473u}, {u"4294967295", 0xFFFFFFFFu}, {u"&H55", 0x55u},
        {u"&hffffFFFF", 0xFFFFFFFFu}, {u"007", 7u},
        {u"4294967296", std::nullopt}, {u"&H100000000", std::nullopt}, {u"-1", std::nullopt},
        {u"", std::nullopt}, {u"&H", std::nullopt}, {u"12a", std::nullopt}, {u" 1", std::nullopt},
        {u"0x10", std::nullopt}, {u"&HG", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const std::string dump = Dump(u"HKCU { K = d '" + std::u16string(text) + u"' }");
        const std::string want = expected ? "HKCU { 'K'=d" + std::to_string(*expected) + " }" : "error: line 1, column 14: ";
        EXPECT_EQ(dump.substr(0, want.size()), want) << dump;
    }
}

TEST(RegistrarScriptParse, ReplacementVariables) {
    const ReplacementMap vars{{u"MODULE", u"C:\\Dir\\O'Brien } {\\x.ocx"}, {u"APPID", u"{ABC}"}, {u"EMPTY", u""}};
    // A quote or brace inside a replacement is data, not script; %% is a percent sign.
    EXPECT_EQ(Dump(u"HKCR { %appid% = s '%MODULE%, 102' { val V = s '100%% %Empty%done' } 'x%%y' }", vars),
              "HKCR { '{ABC}'=s'C:\\Dir\\O'Brien } {\\x.ocx, 102' { val 'V'=s'100% done' } 'x%y' }");
}

struct ErrorCase {
    std::u16string_view script;
    std::size_t line, column;
    const char* message;  // a part of the message
};

TEST(RegistrarScriptParse, ErrorsSayWhatAndWhereAndKeepNothing) {
    const ErrorCase cases[] = {
        {u"HKXX { }", 1, 1, "unknown root key 'HKXX'"},
        {u"'HKCR' { }", 1, 1, "expected a root key"},
        {u"HKCR = s 'x'", 1, 6, "expected '{' after root key 'HKCR', found '='"},
        {u"HKCR", 1, 5, "found the end of the script"},
        {u"HKCR\n{\n  A\n  {\n    B\n}", 2, 1, "never closed"},
        {u"HKCR { A = s 'abc }", 1, 14, "quoted string is never closed"},
        {u"HKCR { } }", 1, 10, "expected a root key"},
        {u"HKCR { = s 'x' }", 1, 8, "expected a key name, found '='"},
        {u"HKCR { A = 'x' }", 1, 12, "expected a value type"},
        {u"HKCR { A = s }", 1, 14, "expected a quoted value after 's'"},
        {u"HKCR { A = b '00' }", 1, 12, "value type 'b' is not supported"},
        {u"HKCR { A = S 'x' }", 1, 12, "expected a value type"},
        {u"HKCR {\r\n val V s 'x' }", 2, 8, "expected '=' after value name 'V'"},
        {u"HKCR { val = s 'x' }", 1, 12, "expected a value name"},
        {u"HKCR { val '' = s 'x' }", 1, 12, "empty value name"},
        {u"HKCR { val V = s 'x' { } }", 1, 22, "named value cannot have subkeys"},
        {u"HKCR { Delete A = s 'x' }", 1, 17, "Delete key takes no value"},
        {u"HKCR { Delete A { } }", 1, 17, "Delete key takes no value"},
        {u"HKCR { NoRemove }", 1, 17, "expected a key name, found '}'"},
        {u"HKCR { '' }", 1, 8, "empty key name"},
        {u"HKCR { 'A\\B' }", 1, 8, "contains '\\'"},
        {u"HKCR { '%P%' }", 1, 8, "contains '\\'"},  // a replacement is checked like script text
        {u"HKCR { A = s '%NOPE%' }", 1, 15, "unknown replacement variable %NOPE%"},
        {u"HKCR { A = s '50%' }", 1, 17, "never closed"},
        {u"HKCR { %MODULE }", 1, 8, "never closed"},
        {u"HKCR { A = s '%V%' }", 1, 14, "contains a NUL"},
        {std::u16string_view(u"HKCR { A\0 }", 11), 1, 9, "NUL character"},
        {u"HKCU { A } HKCU { B = s 'x' C = d 'x' }", 1, 35, "'x' is not a DWORD (decimal 0 to 4294967295"},
    };
    const ReplacementMap vars{{u"V", std::u16string(1, u'\0')}, {u"P", u"a\\b"}};
    for (const auto& c : cases) {
        auto s = ParseRegistrarScript(c.script, vars);
        ASSERT_FALSE(s) << Narrow(std::u16string(c.script));
        EXPECT_TRUE(s.trees.empty());
        EXPECT_EQ(s.error->line, c.line) << s.error->Describe();
        EXPECT_EQ(s.error->column, c.column) << s.error->Describe();
        EXPECT_NE(s.error->message.find(c.message), std::string::npos) << s.error->Describe();
    }
    std::u16string deep = u"HKCU ";
    for (int i = 0; i < 5000; ++i) deep += u"{ K ";
    auto s = ParseRegistrarScript(deep, {});
    ASSERT_FALSE(s);
    EXPECT_NE(s.error->message.find("nested too deeply"), std::string::npos);
}

TEST(RegistrarScriptDecode, Encodings) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, std::optional<std::u16string>> cases[] = {
        {"HKCR { }", u"HKCR { }"},
        {"\xEF\xBB\xBFHKCR", u"HKCR"},
        {"'\xC3\xA9\xF0\x9F\x98\x80'\0\0"sv, u"'\u00E9\U0001F600'"},
        {"\xFF\xFEH\0K\0\xE9\0\x3D\xD8\x00\xDE\0\0"sv, u"HK\u00E9\U0001F600"},
        {"\xFF\xFE"sv, u""},
        {""sv, u""},
        {"\xFF\xFEH\0K"sv, std::nullopt},   // odd length
        {"\xC3("sv, std::nullopt},          // broken sequence
        {"\xC0\xAF"sv, std::nullopt},       // overlong
        {"\xED\xA0\x80"sv, std::nullopt},   // surrogate
        {"\xE9t\xE9"sv, std::nullopt},      // Latin-1, not UTF-8
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(DecodeRegistrarScript(bytes), expected) << bytes;
}

}  // namespace
