// The JSON core at work: builds an order list of its own, parses it, reports
// the document's shape and timing, and answers path queries in both forms —
// walking the text, and through the parsed document.
//
//   json_demo [bench-data folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "json_document.h"
#include "json_number.h"
#include "json_query.h"
#include "../tests/native/test_data.h"

using namespace Corvane;
using CorvaneTest::Narrow;
using CorvaneTest::Widen;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// A deterministic order list: customers with accented names, items, prices.
std::u16string MakeOrders(int count) {
    const char16_t* names[] = {u"Zo\u00eb M\u00fcller", u"Ana Lu\u00edsa", u"Jos\u00e9 \"Pepe\" Garc\u00eda", u"M\u00e4rta \u00c5berg", u"Li Wei"};
    const char16_t* products[] = {u"Keyboard", u"Monitor 27\"", u"USB-C hub", u"Desk lamp", u"Caf\u00e9 mug"};
    const double prices[] = {49.9, 229.0, 34.5, 19.99, 7.25};
    std::u16string s = u"{\n  \"meta\": {\"source\": \"corvane demo\", \"currency\": \"EUR\", \"count\": ";
    s += Widen(std::to_string(count)) + u"},\n  \"orders\": [\n";
    unsigned seed = 7;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        int items = 1 + (seed >> 16) % 4;
        s += u"    {\"id\": " + Widen(std::to_string(100000 + i)) + u", \"customer\": {\"name\": \"";
        s += EscapeJsonString(names[i % 5]);
        s += u"\", \"vip\": " + std::u16string(i % 7 == 0 ? u"true" : u"false") + u"}, \"items\": [";
        double total = 0;
        for (int k = 0; k < items; ++k) {
            int p = (i + k) % 5;
            int qty = 1 + (seed >> (k + 3)) % 3;
            total += prices[p] * qty;
            if (k) s += u", ";
            s += u"{\"sku\": \"P" + Widen(std::to_string(p)) + u"\", \"name\": \"" + EscapeJsonString(products[p]) +
                 u"\", \"qty\": " + Widen(std::to_string(qty)) + u"}";
        }
        std::u16string t;
        AppendDouble17(t, static_cast<double>(static_cast<long long>(total * 100 + 0.5)) / 100);
        s += u"], \"total\": " + t + u", \"note\": " + (i % 3 ? std::u16string(u"null") : u"\"leave at door\"") + u"}";
        s += i + 1 < count ? u",\n" : u"\n";
    }
    s += u"  ]\n}\n";
    return s;
}

struct Shape {
    long objects = 0, arrays = 0, strings = 0, numbers = 0, literals = 0, members = 0;
    int depth = 0;
};

void Measure(const JsonNode& n, int depth, Shape& s) {
    if (depth > s.depth) s.depth = depth;
    switch (n.type) {
        case JsonNodeType::Object:
            ++s.objects;
            s.members += n.count;
            for (std::uint32_t i = 0; i < n.count; ++i) Measure(n.members[i].value, depth + 1, s);
            break;
        case JsonNodeType::Array:
            ++s.arrays;
            for (std::uint32_t i = 0; i < n.count; ++i) Measure(n.elements[i], depth + 1, s);
            break;
        case JsonNodeType::String: ++s.strings; break;
        case JsonNodeType::Int: case JsonNodeType::Double: ++s.numbers; break;
        default: ++s.literals; break;
    }
}

std::string Show(const JsonScalar& v) {
    switch (v.kind) {
        case JsonScalar::Kind::Empty: return "(empty)";
        case JsonScalar::Kind::Null: return "Null";
        case JsonScalar::Kind::Bool: return v.boolean ? "True" : "False";
        case JsonScalar::Kind::Int: return std::to_string(v.integer) + " (Long)";
        case JsonScalar::Kind::Double: { std::u16string t; AppendDouble17(t, v.number); return Narrow(t) + " (Double)"; }
        case JsonScalar::Kind::String: return "\"" + Narrow(v.text) + "\" (String)";
        case JsonScalar::Kind::Raw: return Narrow(v.text.size() > 90 ? v.text.substr(0, 87) + u"..." : v.text) + " (JSON text)";
    }
    return "?";
}

void Report(const char* title, const std::u16string& text) {
    // Best of three: the first parse also pays for the process's first page faults.
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    double ms = 1e30;
    for (int run = 0; run < 3; ++run) {
        auto t0 = Clock::now();
        if (!ParseDocument(text, ~0ull, doc, error)) {
            std::printf("%s: %s\n", title, Narrow(error).c_str());
            return;
        }
        ms = std::min(ms, Ms(t0));
    }
    Shape s;
    Measure(doc->Root(), 1, s);
    std::printf("%s: %zu UTF-16 units parsed in %.2f ms (best of 3) (%.0f M units/s)\n", title, text.size(), ms,
                text.size() / ms / 1000.0);
    std::printf("  %ld objects (%ld members), %ld arrays, %ld strings, %ld numbers, %ld true/false/null; depth %d\n",
                s.objects, s.members, s.arrays, s.strings, s.numbers, s.literals, s.depth);
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("== Corvane JSON core demo ==\n\n");
    std::u16string orders = MakeOrders(20000);
    Report("orders (generated)", orders);

    std::printf("\nQueries on the text (no tree is built):\n");
    const char16_t* paths[] = {u"meta.currency", u"orders[0].customer.name", u"orders[2].items[0]", u"orders[19999].total",
                               u"orders[3].note", u"orders[7].customer.vip", u"orders[5].missing", u"orders[*]"};
    for (const char16_t* p : paths) {
        auto t0 = Clock::now();
        JsonScalar v = TextGetValue(orders, p);
        std::printf("  GetValue %-26s -> %s  [%.3f ms]\n", Narrow(p).c_str(), Show(v).c_str(), Ms(t0));
    }
    JsonCountResult c = TextCount(orders, u"orders");
    std::printf("  count    %-26s -> %d\n", "orders", c.count);
    c = TextCount(orders, u"meta.currency");
    std::printf("  count    %-26s -> %d, \"%s\"\n", "meta.currency", c.count, c.error ? Narrow(c.error).c_str() : "");
    std::printf("  GetKeys  %-26s -> %s\n", "orders[0]", Narrow(TextGetKeys(orders, u"orders[0]")).c_str());
    std::printf("  exists   %-26s -> %s\n", "orders[19999].items", TextExists(orders, u"orders[19999].items") ? "True" : "False");

    std::printf("\nThe same through a parsed document (hash lookups, compact JSON):\n");
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    ParseDocument(orders, ~0ull, doc, error);
    for (const char16_t* p : {u"orders[2].items[0]", u"orders[19999].total"}) {
        PathSegment seg[kMaxPathSegments];
        int n = TokenizePath(p, seg);
        auto t0 = Clock::now();
        JsonScalar v = DocGetValue(*doc, seg, n);
        std::printf("  GetValueH %-25s -> %s  [%.4f ms]\n", Narrow(p).c_str(), Show(v).c_str(), Ms(t0));
    }

    std::printf("\nValidation and errors:\n");
    for (const char16_t* bad : {u"{\"a\":1} x", u"[1, 2,]", u"{\"name\": \"unterminated}", u"01"}) {
        std::unique_ptr<JsonDocument> d;
        std::u16string e;
        bool ok = ParseDocument(bad, ~0ull, d, e);
        std::printf("  %-28s isValid=%-5s %s\n", Narrow(bad).c_str(), IsValidJson(bad) ? "True" : "False",
                    ok ? "(parses: the DOM parser is lenient)" : Narrow(e).c_str());
    }

    std::string dir = argc > 1 ? argv[1] : CorvaneTest::SharedDir() + "/bench-data";
    bool header = false;
    for (const char* file : {"canada.json", "citm_catalog.json", "twitter.json"}) {
        auto bytes = CorvaneTest::ReadFileBytes(dir + "/" + file);
        if (!bytes) continue;
        auto text = CorvaneTest::DecodeUtf8(*bytes);
        if (!text) continue;
        if (!header) std::printf("\nPublic benchmark files:\n");
        header = true;
        Report(file, *text);
    }
    return 0;
}
