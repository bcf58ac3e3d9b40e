// The engine's handle tables, compiled paths and size limit: the one
// statement of the handle-numbering rules (the COM tests rely on it).
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
    EXPECT_EQ(IdOf(1), 50) << "a stale handle names whatever the slot holds now";
    EXPECT_EQ(table.LiveCount(), 4u);
    table.Clear();
    EXPECT_EQ(destroyed, 6);
    EXPECT_EQ(table.Find(1), nullptr);
    EXPECT_EQ(Add(7), 1) << "Clear restarts numbering";
}

TEST_F(Table, InvalidHandlesFindNothingAndReleaseHarmlessly) {
    Add(1);
    Add(2);
    table.Release(2);
    for (std::int32_t h : {0, -1, 2, 3, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(table.Find(h), nullptr) << h;
        table.Release(h);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(IdOf(1), 1);
    // Releasing slot 2 again must not have stacked it twice: two adds get two slots.
    EXPECT_EQ(Add(3), 2);
    EXPECT_EQ(Add(4), 3);
}

TEST(CompiledPathTest, OwnsItsTextAndKeysAndRefusesWhatTheGrammarRefuses) {
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    ASSERT_TRUE(ParseDocument(u"{\"first name\":{\"b\":[10,{\"c\":true}]}}", 1u << 20, doc, error));
    for (std::u16string path : {u"first name.b[1].c", u"", u"first name.b[0]"}) {
        const std::u16string text = path;
        std::unique_ptr<CompiledPath> compiled = CompiledPath::Compile(path);
        ASSERT_NE(compiled, nullptr);
        // The caller's buffer is overwritten and freed: the compiled path must not care.
        path.assign(path.size(), u'#');
        path.clear();
        path.shrink_to_fit();
        EXPECT_EQ(compiled->Text(), text);
        PathSegment fresh[kMaxPathSegments];
        const int count = TokenizePath(text, fresh);
        ASSERT_EQ(compiled->Count(), count);
        EXPECT_EQ(LookupNode(doc->Root(), compiled->Segments(), count), LookupNode(doc->Root(), fresh, count));
    }
    for (const char16_t* bad : {u"a..b", u"a[-1]", u"["}) EXPECT_EQ(CompiledPath::Compile(bad), nullptr);
}

TEST(MaxSizeTest, ClampsAndCountsTwoBytesPerCodeUnit) {
    struct Clamp { std::int32_t in, out; };
    for (Clamp c : {Clamp{std::numeric_limits<std::int32_t>::min(), 1024}, Clamp{1023, 1024}, Clamp{1025, 1025},
                    Clamp{524288000, 524288000}, Clamp{524288001, 524288000}})
        EXPECT_EQ(ClampMaxSize(c.in), c.out) << c.in;
    EXPECT_FALSE(ExceedsMaxSize(512, 1024));
    EXPECT_TRUE(ExceedsMaxSize(513, 1024));
    // No wrap-around for sizes near the top of size_t's 32-bit half.
    EXPECT_TRUE(ExceedsMaxSize(std::size_t{0x80000000u}, kMaxMaxSize));
}

}  // namespace
}  // namespace Corvane
