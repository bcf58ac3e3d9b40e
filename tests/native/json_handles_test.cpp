// The engine's handle tables, compiled paths and size limit.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "json_handles.h"

namespace Corvane {
namespace {

struct Item {
    int id;
    int* destroyed;
    ~Item() { ++*destroyed; }
};

class Table : public ::testing::Test {
protected:
    std::int32_t Add(int id) { return table.Add(std::unique_ptr<Item>(new Item{id, &destroyed})); }
    int IdOf(std::int32_t h) const { return table.Find(h) ? table.Find(h)->id : -1; }
    int destroyed = 0;
    HandleTable<Item> table;
};

TEST_F(Table, HandlesStartAtOneAndReuseTheLastFreedSlotFirst) {
    EXPECT_EQ(Add(10), 1);
    EXPECT_EQ(Add(20), 2);
    EXPECT_EQ(Add(30), 3);
    table.Release(1);
    table.Release(3);
    EXPECT_EQ(destroyed, 2) << "release frees the entry at once";
    EXPECT_EQ(Add(40), 3);
    EXPECT_EQ(Add(50), 1);
    EXPECT_EQ(Add(60), 4) << "a new slot once the free stack is empty";
    // A stale handle names whatever the slot holds now.
    EXPECT_EQ(IdOf(1), 50);
    EXPECT_EQ(IdOf(3), 40);
    EXPECT_EQ(table.LiveCount(), 4u);
}

TEST_F(Table, InvalidHandlesFindNothingAndReleaseHarmlessly) {
    Add(1);
    Add(2);
    table.Release(2);
    for (std::int32_t h : {0, -1, -5, 2, 3, 99, std::numeric_limits<std::int32_t>::min(),
                           std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(table.Find(h), nullptr) << h;
        table.Release(h);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(IdOf(1), 1);
    // Releasing slot 2 again must not have stacked it twice: two adds get two slots.
    EXPECT_EQ(Add(3), 2);
    EXPECT_EQ(Add(4), 3);
    EXPECT_EQ(IdOf(2), 3);
    EXPECT_EQ(IdOf(3), 4);
}

TEST_F(Table, ClearFreesEverythingAndRestartsNumbering) {
    Add(1);
    Add(2);
    Add(3);
    table.Release(2);
    table.Clear();
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(table.SlotCount(), 0u);
    EXPECT_EQ(table.Find(1), nullptr);
    EXPECT_EQ(Add(7), 1) << "the freed slot 2 is forgotten too";
    EXPECT_EQ(Add(8), 2);
}

TEST_F(Table, ManyHandlesStayDistinct) {
    std::vector<std::int32_t> handles;
    for (int i = 0; i < 1000; ++i) handles.push_back(Add(i));
    for (int i = 0; i < 1000; i += 2) table.Release(handles[i]);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(Add(5000 + i), handles[998 - 2 * i]);
    for (int i = 1; i < 1000; i += 2) EXPECT_EQ(IdOf(handles[i]), i);
    EXPECT_EQ(table.LiveCount(), 1000u);
}

std::u16string Keys(const CompiledPath& p) {
    std::u16string out;
    for (int i = 0; i < p.Count(); ++i) {
        const PathSegment& s = p.Segments()[i];
        out += s.HasKey() ? std::u16string(s.Key()) : u"_";
        if (s.index >= 0) out += u"#" + std::u16string(1, char16_t(u'0' + s.index % 10));
        out += u"|";
    }
    return out;
}

TEST(CompiledPathTest, OwnsItsTextAndKeys) {
    struct Case { std::u16string path; std::u16string keys; };
    const Case cases[] = {
        {u"", u""},
        {u"a", u"a|"},
        {u"data.items[2].name", u"data|items#2|name|"},
        {u"[0].x", u"_#0|x|"},
        {u"a[1][3]", u"a#1|_#3|"},
        {u"first name.caf\u00e9", u"first name|caf\u00e9|"},
    };
    for (const Case& c : cases) {
        std::u16string source = c.path;
        std::unique_ptr<CompiledPath> compiled = CompiledPath::Compile(source);
        ASSERT_NE(compiled, nullptr) << ::testing::PrintToString(c.path);
        // The caller's buffer is overwritten and freed: the compiled path must not care.
        source.assign(source.size(), u'#');
        source.clear();
        source.shrink_to_fit();
        EXPECT_EQ(compiled->Text(), c.path);
        EXPECT_EQ(Keys(*compiled), c.keys) << ::testing::PrintToString(c.path);
    }
}

TEST(CompiledPathTest, RefusesWhatTheGrammarRefuses) {
    std::u16string thirtyTwo = u"a";
    for (int i = 1; i < 32; ++i) thirtyTwo += u".a";
    ASSERT_NE(CompiledPath::Compile(thirtyTwo), nullptr);
    EXPECT_EQ(CompiledPath::Compile(thirtyTwo)->Count(), 32);
    for (std::u16string bad : {std::u16string(u"a..b"), std::u16string(u"a."), std::u16string(u"a[]"),
                               std::u16string(u"a[-1]"), std::u16string(u"a[*]"), std::u16string(u"["),
                               std::u16string(u"a[1000000]"), thirtyTwo + u".a"})
        EXPECT_EQ(CompiledPath::Compile(bad), nullptr) << ::testing::PrintToString(bad);
}

TEST(CompiledPathTest, FindsTheSameNodesAsAFreshTokenization) {
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    ASSERT_TRUE(ParseDocument(u"{\"a\":{\"b\":[10,{\"c\":true}]}}", 1u << 20, doc, error));
    std::unique_ptr<CompiledPath> path = CompiledPath::Compile(std::u16string(u"a.b[1].c"));
    ASSERT_NE(path, nullptr);
    const JsonNode* node = LookupNode(doc->Root(), path->Segments(), path->Count());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->type, JsonNodeType::Bool);
    std::unique_ptr<CompiledPath> root = CompiledPath::Compile(u"");
    EXPECT_EQ(LookupNode(doc->Root(), root->Segments(), root->Count()), &doc->Root());
}

TEST(MaxSizeTest, ClampsAndCountsTwoBytesPerCodeUnit) {
    struct Clamp { std::int32_t in, out; };
    for (Clamp c : {Clamp{0, 1024}, Clamp{-5, 1024}, Clamp{std::numeric_limits<std::int32_t>::min(), 1024},
                    Clamp{1023, 1024}, Clamp{1024, 1024}, Clamp{1025, 1025}, Clamp{52428800, 52428800},
                    Clamp{524288000, 524288000}, Clamp{524288001, 524288000}, Clamp{600000000, 524288000},
                    Clamp{std::numeric_limits<std::int32_t>::max(), 524288000}})
        EXPECT_EQ(ClampMaxSize(c.in), c.out) << c.in;
    EXPECT_EQ(ClampMaxSize(kDefaultMaxSize), 52428800);

    EXPECT_FALSE(ExceedsMaxSize(512, 1024));
    EXPECT_TRUE(ExceedsMaxSize(513, 1024));
    EXPECT_FALSE(ExceedsMaxSize(0, 1024));
    // No wrap-around for sizes near the top of size_t's 32-bit half.
    EXPECT_TRUE(ExceedsMaxSize(std::size_t{0x80000000u}, kMaxMaxSize));
}

}  // namespace
}  // namespace Corvane
