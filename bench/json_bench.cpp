// JSON core benchmarks. Each figure is a ratio against a peer measured in the
// same run, printed as `RATIO <name> <value>`; absolute throughput follows as
// `MBPS` lines for context (MB of the UTF-8 file per second).
//
//   json_bench [bench-data folder]
#include <rapidjson/document.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "json_document.h"
#include "json_edit.h"
#include "json_query.h"
#include "../tests/native/test_data.h"
#include "bench_util.h"

using namespace Corvane;

namespace {

using CorvaneBench::Best;
using CorvaneBench::Ratio;

// The path of the document's last scalar: always the last member or element.
std::u16string LastMemberPath(const JsonNode& root) {
    std::u16string path;
    const JsonNode* n = &root;
    while (n->IsContainer() && n->count > 0) {
        if (n->type == JsonNodeType::Object) {
            const JsonMember& m = n->members[n->count - 1];
            if (!path.empty()) path += u'.';
            path += m.Key();
            n = &m.value;
        } else {
            std::string index = "[" + std::to_string(n->count - 1) + "]";
            path += CorvaneTest::Widen(index);
            n = &n->elements[n->count - 1];
        }
    }
    return path;
}

void Mbps(const std::string& name, double bytes, double seconds) {
    std::printf("MBPS %s %.1f\n", name.c_str(), bytes / seconds / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : CorvaneTest::SharedDir() + "/bench-data";
#ifdef _WIN32
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
#endif
    const char* files[] = {"canada.json", "citm_catalog.json", "twitter.json"};
    int measured = 0;
    for (const char* file : files) {
        auto bytes = CorvaneTest::ReadFileBytes(dir + "/" + file);
        if (!bytes) {
            std::printf("SKIP %s: not found in %s\n", file, dir.c_str());
            continue;
        }
        auto decoded = CorvaneTest::DecodeUtf8(*bytes);
        if (!decoded) {
            std::printf("SKIP %s: not UTF-8\n", file);
            continue;
        }
        const std::u16string& text = *decoded;
        const int rounds = 15;

        // Ours and RapidJSON's DOM over the same UTF-16 text, interleaved.
        double ours = 1e30, theirs = 1e30;
        for (int r = 0; r < rounds; ++r) {
            ours = std::min(ours, Best(1, [&] {
                std::unique_ptr<JsonDocument> doc;
                std::u16string error;
                if (!ParseDocument(text, ~0ull, doc, error)) std::abort();
            }));
            theirs = std::min(theirs, Best(1, [&] {
                rapidjson::GenericDocument<rapidjson::UTF16<char16_t>> d;
                d.Parse(text.c_str());
                if (d.HasParseError()) std::abort();
            }));
        }
        Ratio(std::string("dom_parse_vs_rapidjson_utf16.") + file, ours / theirs);

        std::unique_ptr<JsonDocument> doc;
        std::u16string error;
        ParseDocument(text, ~0ull, doc, error);
        std::u16string path = LastMemberPath(doc->Root());
        JsonScalar got;
        double query = Best(rounds, [&] { got = TextGetValue(text, path); });
        if (got.kind == JsonScalar::Kind::Empty) {
            std::printf("ERROR text query found nothing at %s\n", CorvaneTest::Narrow(path).c_str());
            return 1;
        }
        Ratio(std::string("text_query_vs_dom_parse.") + file, query / ours);

        // An edit near the end (a new last member of the root) against a plain copy.
        double edit = Best(rounds, [&] {
            if (!JsonSetValue(text, u"zz_bench", u"1").ok) std::abort();
        });
        double copy = Best(rounds, [&] {
            std::u16string c(text);
            if (c.size() != text.size()) std::abort();
        });
        Ratio(std::string("edit_vs_copy.") + file, edit / copy);
        Mbps(std::string("dom_parse.") + file, static_cast<double>(bytes->size()), ours);
        Mbps(std::string("rapidjson_utf16_parse.") + file, static_cast<double>(bytes->size()), theirs);
        Mbps(std::string("text_query.") + file, static_cast<double>(bytes->size()), query);
        ++measured;
    }
    if (measured == 0) std::printf("SKIP no benchmark data (looked in %s)\n", dir.c_str());
    return 0;
}
