// What a page's host object proxies may send, and VT_DATE arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "json_document.h"
#include "portable/host_object_rules.h"

using namespace Corvane;
using namespace Corvane::Chromium;

namespace {

// A call's arguments as an answer would carry them back, or "!" and why the call is refused.
std::string Read(std::u16string_view message) {
    std::unique_ptr<JsonDocument> document;
    std::u16string error, args;
    HostCall call;
    if (!ParseDocument(message, 1 << 24, document, error) || !ParseHostCall(document->Root(), call, error))
        return std::string(1, '!').append(error.begin(), error.end());
    for (const HostValue& value : call.args) AppendHostValueJson(value, args += args.empty() ? u"" : u",");
    return std::string(args.begin(), args.end());
}

TEST(HostObjectRules, PageCallsAreCheckedBeforeTheHostSeesThem) {
    const std::u16string call = uR"({"c":1,"o":"calc","p":["f"],"op":"call","a":)";
    const std::pair<std::u16string, std::string> cases[] = {
        {call + uR"([1,2.5,"x\ud800",true,null,{"$u":0},{"$n":"NaN"},{"$d":-1000},{"$o":3},[[1],[]]]})",
         R"(1,2.5,"x\ud800",true,null,{"$u":0},{"$n":"NaN"},{"$d":-1000},{"$o":3},[[1],[]])"},
        {uR"({"c":2,"o":9,"p":[],"op":"release","a":[]})", ""},
        {call + u"[" + std::u16string(17, u'[') + std::u16string(17, u']') + u"]}", "!values nest too deeply"},
        {call + uR"([{"a":1}]})", "!an object is not a value"},
        {call + uR"([{"$d":null}]})", "!an invalid date"},   // an invalid Date
        {call + uR"([{"$d":1e300}]})", "!a date out of range"},
        {call + uR"([0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]})", "!the wrong number of arguments"},   // 33
        {uR"({"c":1.5,"o":"calc","p":["f"],"op":"call","a":[]})", "!no call number"},
        {uR"({"c":1,"o":-3,"p":["f"],"op":"call","a":[]})", "!no target object"},
        {uR"({"c":1,"o":"calc","p":["f"],"op":"delete","a":[]})", "!an unknown operation"},
        {uR"({"c":1,"o":"calc","p":[],"op":"get","a":[]})", "!a member path of the wrong length"},
        {uR"({"c":1,"o":"calc","p":[],"op":"release","a":[]})", "!a registered object is never released"},
        {uR"({"c":1,"o":"calc","p":["f",3],"op":"get","a":[]})", "!an invalid member name"},
        {uR"({"c":1,"o":"calc","p":["a","a","a","a","a","a","a","a","a","a","a","a","a","a","a","a","a"],"op":"get","a":[]})",
         "!a member path too long"},
    };
    for (const auto& [message, expected] : cases) EXPECT_EQ(Read(message), expected) << std::string(message.begin(), message.end());
}

TEST(HostObjectRules, OleDatesAndUnixMillisecondsConvertBothWays) {
    const std::pair<double, double> cases[] = {{25569.0, 0.0}, {25569.5, 43200000.0}, {45293.0, 1704153600000.0},
        {0.0, -2209161600000.0}, {-1.25, -2209226400000.0},   // 1899-12-29 06:00: before day 0 the time still counts forward
        {-657434.0, -59011459200000.0}};                       // 0100-01-01, the first VT_DATE
    double out = 0;
    for (const auto& [date, ms] : cases)
        EXPECT_TRUE(OleDateToUnixMs(date, out) && out == ms && UnixMsToOleDate(ms, out) && out == date) << date;
    for (double date : {2958466.0, -657435.0, std::nan("")}) EXPECT_FALSE(OleDateToUnixMs(date, out)) << date;
    for (double ms : {253402300800000.0, -59011459200001.0, HUGE_VAL}) EXPECT_FALSE(UnixMsToOleDate(ms, out)) << ms;
}

}  // namespace
