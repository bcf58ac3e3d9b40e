// Host objects between page and host, without COM: the messages a page's
// proxies send through the binding, checked before anything reaches a host
// object, the values both ways, and the date arithmetic of VT_DATE.
//
// A page call is {"k":"h","c":call,"o":target,"p":[member...],"op":kind,"a":[arg...]}:
//   c   the page's call number, an integer >= 1; the answer settles it
//   o   a registered name (string) or an object id (integer >= 1) minted by
//       an earlier answer
//   p   the member path: "get"/"set"/"call" need one or more names, each
//       further one read from the object the one before gave; "release" none
//   op  "get", "set" (one argument), "call" or "release" (no arguments)
// Values other than JSON's own are tagged objects, the same in answers:
//   {"$u":0} undefined   {"$d":ms} a Date   {"$n":"NaN"|"Infinity"|"-Infinity"}
//   {"$o":id} an object by id   {"$r":"name"} a registered object (arguments only)
// Any other object, or anything past the limits below, refuses the call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json_document.h"

namespace Corvane::Chromium {

inline constexpr std::size_t kHostCallMaxArgs = 32;
inline constexpr std::size_t kHostPathMaxNames = 16;
inline constexpr std::size_t kHostNameMaxLength = 256;
inline constexpr int kHostValueMaxDepth = 16;
// Values in one call's arguments or one answer, nested ones included.
inline constexpr std::size_t kHostValueMaxNodes = 100000;

struct HostValue {
    enum class Kind { Undefined, Null, Bool, Number, String, Date, Object, Named, Array };
    Kind kind = Kind::Undefined;
    bool boolean = false;
    double number = 0;            // Number; Date as milliseconds since 1970 (UTC)
    std::int64_t id = 0;          // Object
    std::u16string text;          // String; Named
    std::vector<HostValue> items; // Array
};

struct HostCall {
    enum class Op { Get, Set, Call, Release };
    std::int64_t callId = 0;
    std::u16string targetName;    // set when the target is a registered name
    std::int64_t targetId = 0;    // otherwise, an object id
    std::vector<std::u16string> path;
    Op op = Op::Get;
    std::vector<HostValue> args;
};

// Reads a page call; false with a short reason when any part is malformed.
// `root` is the whole binding message (its "k" is not looked at).
bool ParseHostCall(const JsonNode& root, HostCall& call, std::u16string& error);

// The JSON of an answer's value, tags included (Named is never answered and
// writes null).
void AppendHostValueJson(const HostValue& value, std::u16string& out);

// VT_DATE (days since 1899-12-30, the fraction always the time of day) and
// milliseconds since 1970; false outside the range both can hold (years
// 100 to 9999) or for a value that is not finite.
bool OleDateToUnixMs(double date, double& ms);
bool UnixMsToOleDate(double ms, double& date);

}  // namespace Corvane::Chromium
