// Registrar scripts: the tree the parser builds, replacement variables, the
// errors (with their positions) and the project's own four scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>

#include "registrar_script.h"
#include "test_data.h"

using namespace Corvane;
using CorvaneTest::Narrow;

namespace {

const RegistryKey* Find(const std::vector<RegistryKey>& keys, std::initializer_list<std::u16string_view> path) {
    const std::vector<RegistryKey>* level = &keys;
    const RegistryKey* found = nullptr;
    for (auto name : path) {
        found = nullptr;
        for (const auto& k : *level)
            if (k.name == name) found = &k;
        if (!found) return nullptr;
        level = &found->subkeys;
    }
    return found;
}

const RegistryValue* FindValue(const std::vector<NamedValue>& values, std::u16string_view name) {
    for (const auto& v : values)
        if (v.name == name) return &v.value;
    return nullptr;
}

RegistrarScript Parse(std::u16string_view text, const ReplacementMap& vars = {}) {
    RegistrarScript s = ParseRegistrarScript(text, vars);
    EXPECT_TRUE(s) << (s.error ? s.error->Describe() : "");
    return s;
}

TEST(RegistrarScriptParse, BuildsTheTree) {
    auto s = Parse(uR"(HKCR
{
    Plain.Name = s 'Desc with ''quotes'''
    {
        CLSID=s'{0000}'
    }
    NoRemove CLSID
    {
        ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Class'
        {
            'Implemented Categories'
            {
                {7DD95801-9882-11CF-9FA9-00AA006C42C4}}
            Count = d '&H1F'
            val Flags = d '42'
            val 'Named ''one''' = s ''
        }
    }
    Delete Obsolete
}
HKEY_CURRENT_USER { })");
    ASSERT_EQ(s.trees.size(), 2u);
    EXPECT_EQ(s.trees[0].root, RegistryRoot::ClassesRoot);
    EXPECT_EQ(s.trees[1].root, RegistryRoot::CurrentUser);
    EXPECT_TRUE(s.trees[1].keys.empty());

    const auto& keys = s.trees[0].keys;
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].name, u"Plain.Name");
    EXPECT_EQ(keys[0].disposition, KeyDisposition::Normal);
    ASSERT_TRUE(keys[0].defaultValue);
    EXPECT_EQ(keys[0].defaultValue->text, u"Desc with 'quotes'");
    ASSERT_TRUE(Find(keys, {u"Plain.Name", u"CLSID"}));
    EXPECT_EQ(Find(keys, {u"Plain.Name", u"CLSID"})->defaultValue->text, u"{0000}");
    EXPECT_EQ(keys[2].name, u"Obsolete");
    EXPECT_EQ(keys[2].disposition, KeyDisposition::Delete);

    EXPECT_EQ(keys[1].disposition, KeyDisposition::NoRemove);
    EXPECT_FALSE(keys[1].defaultValue);
    const RegistryKey* cls = Find(keys, {u"CLSID", u"{11111111-2222-3333-4444-555555555555}"});
    ASSERT_TRUE(cls);
    EXPECT_EQ(cls->disposition, KeyDisposition::ForceRemove);
    ASSERT_EQ(cls->subkeys.size(), 2u);
    const RegistryKey* cat = Find(cls->subkeys, {u"Implemented Categories", u"{7DD95801-9882-11CF-9FA9-00AA006C42C4}"});
    ASSERT_TRUE(cat);
    EXPECT_FALSE(cat->defaultValue);
    EXPECT_TRUE(cat->subkeys.empty());
    const RegistryKey* count = Find(cls->subkeys, {u"Count"});
    ASSERT_TRUE(count && count->defaultValue);
    EXPECT_EQ(count->defaultValue->type, RegistryValue::Type::Dword);
    EXPECT_EQ(count->defaultValue->number, 0x1Fu);

    ASSERT_EQ(cls->values.size(), 2u);
    ASSERT_TRUE(FindValue(cls->values, u"Flags"));
    EXPECT_EQ(FindValue(cls->values, u"Flags")->number, 42u);
    ASSERT_TRUE(FindValue(cls->values, u"Named 'one'"));
    EXPECT_EQ(FindValue(cls->values, u"Named 'one'")->type, RegistryValue::Type::String);
    EXPECT_EQ(FindValue(cls->values, u"Named 'one'")->text, u"");
}

TEST(RegistrarScriptParse, RootsAndKeywordsIgnoreCase) {
    const std::pair<std::u16string_view, RegistryRoot> roots[] = {
        {u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot}, {u"hkcr", RegistryRoot::ClassesRoot},
        {u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser}, {u"HKCU", RegistryRoot::CurrentUser},
        {u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine}, {u"HkLm", RegistryRoot::LocalMachine},
        {u"HKEY_USERS", RegistryRoot::Users}, {u"HKU", RegistryRoot::Users},
        {u"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig}, {u"HKCC", RegistryRoot::CurrentConfig},
    };
    for (const auto& [name, root] : roots) {
        auto s = Parse(std::u16string(name) + u" {}");
        ASSERT_EQ(s.trees.size(), 1u) << Narrow(std::u16string(name));
        EXPECT_EQ(s.trees[0].root, root) << Narrow(std::u16string(name));
    }

    auto s = Parse(u"HKCU { noremove A FORCEREMOVE B delete C VAL v = s 'x' 'NoRemove' 'val' = s 'y' }");
    ASSERT_EQ(s.trees.size(), 1u);
    const auto& keys = s.trees[0].keys;
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0].disposition, KeyDisposition::NoRemove);
    EXPECT_EQ(keys[1].disposition, KeyDisposition::ForceRemove);
    EXPECT_EQ(keys[2].disposition, KeyDisposition::Delete);
    ASSERT_EQ(s.trees[0].values.size(), 1u);
    EXPECT_EQ(s.trees[0].values[0].name, u"v");
    // Quoted, a keyword is an ordinary key name.
    EXPECT_EQ(keys[3].name, u"NoRemove");
    EXPECT_EQ(keys[3].disposition, KeyDisposition::Normal);
    EXPECT_EQ(keys[4].name, u"val");
    EXPECT_EQ(keys[4].defaultValue->text, u"y");
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
        std::u16string script = u"HKCU { K = d '" + std::u16string(text) + u"' }";
        auto s = ParseRegistrarScript(script, {});
        ASSERT_EQ(static_cast<bool>(s), expected.has_value()) << Narrow(script);
        if (expected) EXPECT_EQ(s.trees[0].keys[0].defaultValue->number, *expected) << Narrow(script);
        else EXPECT_EQ(s.error->column, 14u) << s.error->Describe();
    }
}

TEST(RegistrarScriptParse, ReplacementVariables) {
    const ReplacementMap vars{{u"MODULE", u"C:\\Dir\\O'Brien } {\\x.ocx"}, {u"APPID", u"{ABC}"}, {u"EMPTY", u""}};
    auto s = Parse(u"HKCR { %appid% = s '%MODULE%, 102' { val V = s '100%% %Empty%done' } 'x%%y' }", vars);
    ASSERT_EQ(s.trees.size(), 1u);
    const auto& keys = s.trees[0].keys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].name, u"{ABC}");
    // A quote or brace inside a replacement is data, not script.
    EXPECT_EQ(keys[0].defaultValue->text, u"C:\\Dir\\O'Brien } {\\x.ocx, 102");
    EXPECT_EQ(keys[0].values[0].value.text, u"100% done");
    EXPECT_EQ(keys[1].name, u"x%y");
}

struct ErrorCase {
    std::u16string_view script;
    std::size_t line, column;
    const char* message;  // a part of the message
};

TEST(RegistrarScriptParse, ErrorsSayWhatAndWhere) {
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
        {u"HKCR { A = s '%NOPE%' }", 1, 15, "unknown replacement variable %NOPE%"},
        {u"HKCR { A = s '50%' }", 1, 17, "never closed"},
        {u"HKCR { %MODULE }", 1, 8, "never closed"},
        {u"HKCR { A = s '%V%' }", 1, 14, "contains a NUL"},
        {std::u16string_view(u"HKCR { A\0 }", 11), 1, 9, "NUL character"},
    };
    const ReplacementMap vars{{u"V", std::u16string(1, u'\0')}};
    for (const auto& c : cases) {
        auto s = ParseRegistrarScript(c.script, vars);
        ASSERT_FALSE(s) << Narrow(std::u16string(c.script));
        EXPECT_TRUE(s.trees.empty());
        EXPECT_EQ(s.error->line, c.line) << s.error->Describe();
        EXPECT_EQ(s.error->column, c.column) << s.error->Describe();
        EXPECT_NE(s.error->message.find(c.message), std::string::npos) << s.error->Describe();
    }
    // The value of a replacement is checked like text written in the script.
    EXPECT_FALSE(ParseRegistrarScript(u"HKCR { '%P%' }", {{u"P", u"a\\b"}}));
}

TEST(RegistrarScriptParse, ErrorAfterGoodTreesKeepsNothing) {
    auto s = ParseRegistrarScript(u"HKCU { A } HKCU { B = s 'x' C = d 'x' }", {});
    ASSERT_FALSE(s);
    EXPECT_TRUE(s.trees.empty());
    EXPECT_EQ(s.error->Describe(), "line 1, column 35: 'x' is not a DWORD (decimal 0 to 4294967295, or hexadecimal &H0 to &HFFFFFFFF)");
}

TEST(RegistrarScriptParse, DeepNestingIsAnErrorNotACrash) {
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

// The project's own scripts, as the module registers them.
class RegistrarProjectScripts : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("CORVANE_SOURCE_DIR");
        if (!dir || !*dir) GTEST_SKIP() << "CORVANE_SOURCE_DIR is not set";
        dir_ = dir;
#ifdef _WIN32
        if (dir_[0] == '/') dir_ = "Z:" + dir_;
#endif
    }

    RegistrarScript Load(const char* file) {
        auto bytes = CorvaneTest::ReadFileBytes(dir_ + "/src/idl/" + file);
        EXPECT_TRUE(bytes) << file;
        auto text = DecodeRegistrarScript(bytes ? *bytes : std::string());
        EXPECT_TRUE(text) << file;
        auto s = ParseRegistrarScript(text ? *text : u"", vars_);
        EXPECT_TRUE(s) << file << ": " << (s.error ? s.error->Describe() : "");
        return s;
    }

    std::string dir_;
    const std::u16string module_ = u"C:\\Program Files\\O'Neil\\Corvane_x64.ocx";
    const ReplacementMap vars_{{u"MODULE", module_}, {u"APPID", u"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}"}};
};

TEST_F(RegistrarProjectScripts, ModuleScriptIsEmpty) {
    auto s = Load("module.rgs");
    ASSERT_EQ(s.trees.size(), 1u);
    EXPECT_EQ(s.trees[0].root, RegistryRoot::ClassesRoot);
    EXPECT_TRUE(s.trees[0].keys.empty());
    EXPECT_TRUE(s.trees[0].values.empty());
}

TEST_F(RegistrarProjectScripts, ClassScripts) {
    struct Class {
        const char* file;
        std::u16string_view progId, clsid, description;
    };
    const Class classes[] = {
        {"control.rgs", u"Corvane.CorvaneCtrl", u"{B8F7F3D4-7E5A-4F5C-8A3B-2C1D4E6F7A8B}", u"Corvane WebView2 Control"},
        {"pool.rgs", u"Corvane.BrowserPool", u"{B8F7F3D7-7E5A-4F5C-8A3B-2C1D4E6F7A8B}", u"BrowserPool Class"},
        {"json.rgs", u"Corvane.Json", u"{B8F7F3DA-7E5A-4F5C-8A3B-2C1D4E6F7A8B}", u"Corvane JSON Engine"},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(c.file);
        auto s = Load(c.file);
        ASSERT_EQ(s.trees.size(), 1u);
        const auto& keys = s.trees[0].keys;
        EXPECT_EQ(keys.size(), 3u);
        auto text = [&](std::initializer_list<std::u16string_view> path) -> std::u16string {
            const RegistryKey* k = Find(keys, path);
            return k && k->defaultValue ? k->defaultValue->text : u"<missing>";
        };
        const std::u16string progId1 = std::u16string(c.progId) + u".1";
        EXPECT_EQ(text({progId1}), c.description);
        EXPECT_EQ(text({progId1, u"CLSID"}), c.clsid);
        EXPECT_EQ(text({c.progId, u"CurVer"}), progId1);
        EXPECT_EQ(text({u"CLSID", c.clsid}), c.description);
        EXPECT_EQ(text({u"CLSID", c.clsid, u"VersionIndependentProgID"}), c.progId);
        EXPECT_EQ(text({u"CLSID", c.clsid, u"InprocServer32"}), module_);
        EXPECT_EQ(text({u"CLSID", c.clsid, u"TypeLib"}), u"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}");
        EXPECT_EQ(Find(keys, {u"CLSID"})->disposition, KeyDisposition::NoRemove);
        EXPECT_EQ(Find(keys, {u"CLSID", c.clsid})->disposition, KeyDisposition::ForceRemove);
        const RegistryKey* server = Find(keys, {u"CLSID", c.clsid, u"InprocServer32"});
        ASSERT_TRUE(server && FindValue(server->values, u"ThreadingModel"));
        EXPECT_EQ(FindValue(server->values, u"ThreadingModel")->text, u"Apartment");
    }
}

TEST_F(RegistrarProjectScripts, ControlExtras) {
    auto s = Load("control.rgs");
    ASSERT_EQ(s.trees.size(), 1u);
    const RegistryKey* cls = Find(s.trees[0].keys, {u"CLSID", u"{B8F7F3D4-7E5A-4F5C-8A3B-2C1D4E6F7A8B}"});
    ASSERT_TRUE(cls);
    auto text = [&](std::initializer_list<std::u16string_view> path) -> std::u16string {
        const RegistryKey* k = Find(cls->subkeys, path);
        return k ? k->defaultValue ? k->defaultValue->text : u"<none>" : u"<missing>";
    };
    EXPECT_EQ(text({u"MiscStatus", u"1"}), u"131473");
    EXPECT_EQ(text({u"ToolboxBitmap32"}), module_ + u", 102");
    for (auto marker : {u"Control", u"Programmable", u"Insertable"}) EXPECT_EQ(text({marker}), u"<none>");
    const RegistryKey* categories = Find(cls->subkeys, {u"Implemented Categories"});
    ASSERT_TRUE(categories);
    std::vector<std::u16string> names;
    for (const auto& k : categories->subkeys) names.push_back(k.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
                                                  u"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
                                                  u"{40FC6ED4-2438-11CF-A3DB-080036F12502}",
                                                  u"{40FC6ED5-2438-11CF-A3DB-080036F12502}"}));
}

}  // namespace
