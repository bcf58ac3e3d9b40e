#include "host_object_rules.h"

#include <cmath>

#include "json_number.h"
#include "portable/remote_object_json.h"

namespace Corvane::Chromium {

namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kUnixEpochOleDay = 25569.0;                 // 1970-01-01 as VT_DATE
constexpr double kOleDateMin = -657434.0;                    // 0100-01-01
constexpr double kOleDateEnd = 2958466.0;                    // 10000-01-01, excluded

const JsonNode* Member(const JsonNode& object, std::u16string_view key) {
    return object.type == JsonNodeType::Object ? object.Find(key) : nullptr;
}

bool PositiveInt(const JsonNode* node, std::int64_t& out) {
    if (!node || node->type != JsonNodeType::Int || node->integer < 1) return false;
    out = node->integer;
    return true;
}

bool Name(const JsonNode* node, std::u16string& out) {
    if (!node || node->type != JsonNodeType::String || node->count == 0 || node->count > kHostNameMaxLength)
        return false;
    out = node->String();
    return true;
}

class ValueReader {
public:
    bool Read(const JsonNode& node, HostValue& out, int depth) {
        if (++nodes_ > kHostValueMaxNodes) return Fail(u"too many values");
        switch (node.type) {
        case JsonNodeType::Null: out.kind = HostValue::Kind::Null; return true;
        case JsonNodeType::Bool: out.kind = HostValue::Kind::Bool; out.boolean = node.boolean; return true;
        case JsonNodeType::Int: out.kind = HostValue::Kind::Number; out.number = node.integer; return true;
        case JsonNodeType::Double: out.kind = HostValue::Kind::Number; out.number = node.number; return true;
        case JsonNodeType::String: out.kind = HostValue::Kind::String; out.text = node.String(); return true;
        case JsonNodeType::Array:
            if (depth >= kHostValueMaxDepth) return Fail(u"values nest too deeply");
            if (node.count > kHostValueMaxNodes - nodes_) return Fail(u"too many values");
            out.kind = HostValue::Kind::Array;
            out.items.resize(node.count);
            for (std::uint32_t i = 0; i < node.count; ++i)
                if (!Read(node.elements[i], out.items[i], depth + 1)) return false;
            return true;
        case JsonNodeType::Object: return Tagged(node, out);
        }
        return Fail(u"unknown value");
    }
    const std::u16string& Error() const { return error_; }

private:
    bool Tagged(const JsonNode& node, HostValue& out) {
        if (node.count != 1) return Fail(u"an object is not a value");
        const std::u16string_view tag = node.members[0].Key();
        const JsonNode& v = node.members[0].value;
        if (tag == u"$u") {
            out.kind = HostValue::Kind::Undefined;
            return true;
        }
        if (tag == u"$d") {
            if (v.type != JsonNodeType::Int && v.type != JsonNodeType::Double) return Fail(u"an invalid date");
            out.kind = HostValue::Kind::Date;
            out.number = v.type == JsonNodeType::Int ? v.integer : v.number;
            double ignored;
            return UnixMsToOleDate(out.number, ignored) || Fail(u"a date out of range");
        }
        if (tag == u"$n") {
            const std::u16string_view text = v.type == JsonNodeType::String ? v.String() : std::u16string_view();
            out.kind = HostValue::Kind::Number;
            if (text == u"NaN") out.number = std::nan("");
            else if (text == u"Infinity") out.number = HUGE_VAL;
            else if (text == u"-Infinity") out.number = -HUGE_VAL;
            else return Fail(u"an invalid number");
            return true;
        }
        if (tag == u"$o") {
            out.kind = HostValue::Kind::Object;
            return PositiveInt(&v, out.id) || Fail(u"an invalid object id");
        }
        if (tag == u"$r") {
            out.kind = HostValue::Kind::Named;
            return Name(&v, out.text) || Fail(u"an invalid object name");
        }
        return Fail(u"an object is not a value");
    }
    bool Fail(std::u16string_view why) {
        error_ = why;
        return false;
    }

    std::size_t nodes_ = 0;
    std::u16string error_;
};

}  // namespace

bool ParseHostCall(const JsonNode& root, HostCall& call, std::u16string& error) {
    call = HostCall{};
    auto fail = [&error](std::u16string_view why) {
        error = why;
        return false;
    };
    if (root.type != JsonNodeType::Object) return fail(u"not an object");
    if (!PositiveInt(Member(root, u"c"), call.callId)) return fail(u"no call number");

    const JsonNode* target = Member(root, u"o");
    if (target && target->type == JsonNodeType::String) {
        if (!Name(target, call.targetName)) return fail(u"an invalid object name");
    } else if (!PositiveInt(target, call.targetId)) {
        return fail(u"no target object");
    }

    const JsonNode* op = Member(root, u"op");
    const std::u16string_view kind = op && op->type == JsonNodeType::String ? op->String() : std::u16string_view();
    if (kind == u"get") call.op = HostCall::Op::Get;
    else if (kind == u"set") call.op = HostCall::Op::Set;
    else if (kind == u"call") call.op = HostCall::Op::Call;
    else if (kind == u"release") call.op = HostCall::Op::Release;
    else return fail(u"an unknown operation");

    const JsonNode* path = Member(root, u"p");
    if (!path || path->type != JsonNodeType::Array) return fail(u"no member path");
    if (path->count > kHostPathMaxNames) return fail(u"a member path too long");
    if ((call.op == HostCall::Op::Release) != (path->count == 0)) return fail(u"a member path of the wrong length");
    call.path.resize(path->count);
    for (std::uint32_t i = 0; i < path->count; ++i)
        if (!Name(&path->elements[i], call.path[i])) return fail(u"an invalid member name");

    const JsonNode* args = Member(root, u"a");
    if (!args || args->type != JsonNodeType::Array) return fail(u"no arguments");
    const std::size_t wanted = call.op == HostCall::Op::Set ? 1 : 0;
    if (call.op == HostCall::Op::Call ? args->count > kHostCallMaxArgs : args->count != wanted)
        return fail(u"the wrong number of arguments");
    if (call.op == HostCall::Op::Release && call.targetId == 0) return fail(u"a registered object is never released");

    ValueReader reader;
    call.args.resize(args->count);
    for (std::uint32_t i = 0; i < args->count; ++i)
        if (!reader.Read(args->elements[i], call.args[i], 0)) return fail(reader.Error());
    return true;
}

void AppendHostValueJson(const HostValue& value, std::u16string& out) {
    switch (value.kind) {
    case HostValue::Kind::Undefined: out += u"{\"$u\":0}"; return;
    case HostValue::Kind::Null:
    case HostValue::Kind::Named: out += u"null"; return;
    case HostValue::Kind::Bool: out += value.boolean ? u"true" : u"false"; return;
    case HostValue::Kind::String: out += StringifyString(value.text); return;
    case HostValue::Kind::Number:
        if (std::isfinite(value.number)) AppendDouble17(out, value.number);
        else out += std::isnan(value.number) ? u"{\"$n\":\"NaN\"}"
                    : value.number > 0     ? u"{\"$n\":\"Infinity\"}"
                                           : u"{\"$n\":\"-Infinity\"}";
        return;
    case HostValue::Kind::Date:
        out += u"{\"$d\":";
        AppendDouble17(out, value.number);
        out += u'}';
        return;
    case HostValue::Kind::Object: {
        out += u"{\"$o\":";
        AppendDouble17(out, static_cast<double>(value.id));
        out += u'}';
        return;
    }
    case HostValue::Kind::Array:
        out += u'[';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (i) out += u',';
            AppendHostValueJson(value.items[i], out);
        }
        out += u']';
        return;
    }
}

bool OleDateToUnixMs(double date, double& ms) {
    if (!std::isfinite(date) || date < kOleDateMin || date >= kOleDateEnd) return false;
    // A negative date counts its days back but its time of day forward.
    const double days = std::trunc(date);
    const double time = std::fabs(date - days);
    ms = (days - kUnixEpochOleDay) * kMsPerDay + std::round(time * kMsPerDay);
    return true;
}

bool UnixMsToOleDate(double ms, double& date) {
    if (!std::isfinite(ms)) return false;
    const double day = std::floor(ms / kMsPerDay);
    const double oleDay = day + kUnixEpochOleDay;
    if (oleDay < kOleDateMin || oleDay >= kOleDateEnd) return false;
    const double time = (ms - day * kMsPerDay) / kMsPerDay;
    date = oleDay >= 0 ? oleDay + time : oleDay - time;
    return true;
}

}  // namespace Corvane::Chromium
