// The DOM parser. Iterative, with explicit stacks, so no input can exhaust the
// machine stack; containers are assembled on the stacks and copied into the
// arena in one piece when they close.
#include <cmath>
#include <cstring>

#include "json_document.h"
#include "json_number.h"
#include "json_text.h"

namespace Corvane {

class JsonDomBuilder {
public:
    JsonDomBuilder(JsonDocument& doc, std::uint64_t byteLimit)
        : doc_(doc), limit_(byteLimit) {}

    bool Parse(std::u16string& error);

private:
    struct Frame {
        bool isObject;
        std::size_t base;           // first stack entry of this container
        const char16_t* key;        // objects: the key of the member being parsed
        std::uint32_t keyLength;
    };

    bool Fail(std::u16string& error, const char16_t* message) {
        error = message;
        return false;
    }
    bool FailAt(std::u16string& error, const char16_t* message, const char16_t* at) {
        error = message;
        AppendInt32(error, static_cast<std::int32_t>(at - begin_));
        return false;
    }
    bool Charge() {
        used_ += kDomBytesPerElement;
        return used_ <= limit_;
    }
    // Scans the string whose quote is at p; on success sets text/len and p past the quote.
    bool ReadString(const char16_t*& p, const char16_t*& text, std::uint32_t& length, std::u16string& error);
    void ReadNumber(const char16_t*& p, JsonNode& node);

    JsonDocument& doc_;
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
    const char16_t* begin_ = nullptr;
    const char16_t* end_ = nullptr;
    std::vector<Frame> frames_;
    std::vector<JsonNode> values_;
    std::vector<JsonMember> members_;
};

bool JsonDomBuilder::ReadString(const char16_t*& p, const char16_t*& text, std::uint32_t& length,
                                std::u16string& error) {
    const char16_t* open = p;
    const char16_t* q = FindQuoteOrBackslash(p + 1, end_);
    bool escaped = false;
    if (q < end_ && *q == u'\\') {
        escaped = true;
        q = FindStringEnd(open, end_);
        if (q) --q;   // at the closing quote
    }
    if (!q || q >= end_) return FailAt(error, u"Corvane.Json: Unterminated string at position ", open);
    p = q + 1;
    if (!escaped) {
        text = open + 1;
        length = static_cast<std::uint32_t>(q - open - 1);
        return true;
    }
    // Escaped strings are decoded into the document's pool; the decoded text is
    // never longer than the source.
    char16_t* out = static_cast<char16_t*>(
        doc_.arena_.Allocate(static_cast<std::size_t>(q - open - 1) * sizeof(char16_t) + sizeof(char16_t),
                             alignof(char16_t)));
    char16_t* w = out;
    for (const char16_t* s = open + 1; s < q;) {
        char16_t c = *s++;
        if (c != u'\\') { *w++ = c; continue; }
        char16_t e = *s++;
        switch (e) {
            case u'b': *w++ = u'\b'; break;
            case u'f': *w++ = u'\f'; break;
            case u'n': *w++ = u'\n'; break;
            case u'r': *w++ = u'\r'; break;
            case u't': *w++ = u'\t'; break;
            case u'u': {
                // Four hex digits give one code unit (surrogate halves as they come);
                // otherwise the `\u` is dropped and scanning resumes after the `u`.
                if (q - s >= 4) {
                    std::uint32_t v = 0;
                    int i = 0;
                    for (; i < 4; ++i) {
                        char16_t h = s[i];
                        std::uint32_t d;
                        if (h >= u'0' && h <= u'9') d = h - u'0';
                        else if (h >= u'a' && h <= u'f') d = h - u'a' + 10;
                        else if (h >= u'A' && h <= u'F') d = h - u'A' + 10;
                        else break;
                        v = v * 16 + d;
                    }
                    if (i == 4) { *w++ = static_cast<char16_t>(v); s += 4; }
                }
                break;
            }
            default: *w++ = e; break;   // `\"`, `\\`, `\/` and any other character
        }
    }
    text = out;
    length = static_cast<std::uint32_t>(w - out);
    used_ += 2ull * length;
    return true;
}

void JsonDomBuilder::ReadNumber(const char16_t*& p, JsonNode& node) {
    std::int32_t i;
    double d;
    if (ScanNumber(p, end_, i, d)) {
        node.type = JsonNodeType::Int;
        node.integer = i;
    } else {
        node.type = JsonNodeType::Double;
        node.number = std::isfinite(d) ? d : 0.0;   // an overflow keeps 0.0
    }
}

bool JsonDomBuilder::Parse(std::u16string& error) {
    const std::u16string& src = doc_.source_;
    begin_ = src.data();
    end_ = begin_ + src.size();
    used_ = 2ull * src.size();
    const char16_t* p = begin_;
    JsonNode node;

parse_value:
    p = SkipSpace(p, end_);
    if (p >= end_) return Fail(error, u"Corvane.Json: Unexpected end of JSON");
    node = JsonNode();
    switch (*p) {
        case u'"': {
            const char16_t* text;
            std::uint32_t length;
            if (!ReadString(p, text, length, error)) return false;
            node.type = JsonNodeType::String;
            node.text = text;
            node.count = length;
            goto have_value;
        }
        case u'[':
        case u'{': {
            bool isObject = *p == u'{';
            if (frames_.size() >= static_cast<std::size_t>(kDomMaxDepth))
                return Fail(error, u"Corvane.Json: Nesting depth exceeds 256");
            frames_.push_back({isObject, isObject ? members_.size() : values_.size(), nullptr, 0});
            p = SkipSpace(p + 1, end_);
            if (p < end_ && *p == (isObject ? u'}' : u']')) {
                ++p;
                goto close_container;
            }
            if (isObject) goto parse_member;
            if (!Charge()) return Fail(error, u"Corvane.Json: DOM build exceeded memory limit");
            goto parse_value;
        }
        case u't':
        case u'f':
        case u'n': {
            const char16_t* word = *p == u't' ? u"true" : *p == u'f' ? u"false" : u"null";
            std::size_t len = *p == u'f' ? 5 : 4;
            if (static_cast<std::size_t>(end_ - p) < len ||
                std::memcmp(p, word, len * sizeof(char16_t)) != 0)
                return FailAt(error, u"Corvane.Json: Invalid literal at position ", p);
            if (*p == u'n') node.type = JsonNodeType::Null;
            else { node.type = JsonNodeType::Bool; node.boolean = *p == u't'; }
            p += len;
            goto have_value;
        }
        default:
            if (*p == u'-' || (*p >= u'0' && *p <= u'9')) {
                ReadNumber(p, node);
                goto have_value;
            }
            return FailAt(error, u"Corvane.Json: Unexpected character at position ", p);
    }

parse_member: {
    p = SkipSpace(p, end_);
    if (p >= end_ || *p != u'"') return FailAt(error, u"Corvane.Json: Expected string at position ", p);
    Frame& f = frames_.back();
    if (!ReadString(p, f.key, f.keyLength, error)) return false;
    p = SkipSpace(p, end_);
    if (p >= end_ || *p != u':') return FailAt(error, u"Corvane.Json: Expected ':' at position ", p);
    ++p;
    if (!Charge()) return Fail(error, u"Corvane.Json: DOM build exceeded memory limit");
    goto parse_value;
}

close_container: {
    // Moves the finished container from its stack into the arena; `node` becomes it.
    Frame f = frames_.back();
    frames_.pop_back();
    node = JsonNode();
    if (f.isObject) {
        std::size_t n = members_.size() - f.base;
        node.type = JsonNodeType::Object;
        node.count = static_cast<std::uint32_t>(n);
        if (n) {
            std::uint32_t count = static_cast<std::uint32_t>(n);
            std::size_t bytes = n * sizeof(JsonMember);
            if (count > kLinearLookupMax) bytes += IndexCapacity(count) * sizeof(std::uint32_t);
            auto* block = static_cast<JsonMember*>(doc_.arena_.Allocate(bytes, alignof(JsonMember)));
            std::memcpy(static_cast<void*>(block), members_.data() + f.base, n * sizeof(JsonMember));
            if (count > kLinearLookupMax) BuildMemberIndex(block, count, IndexSlots(block, count));
            node.members = block;
            members_.resize(f.base);
        } else {
            node.members = nullptr;
        }
    } else {
        std::size_t n = values_.size() - f.base;
        node.type = JsonNodeType::Array;
        node.count = static_cast<std::uint32_t>(n);
        if (n) {
            auto* block = static_cast<JsonNode*>(doc_.arena_.Allocate(n * sizeof(JsonNode), alignof(JsonNode)));
            std::memcpy(static_cast<void*>(block), values_.data() + f.base, n * sizeof(JsonNode));
            node.elements = block;
            values_.resize(f.base);
        } else {
            node.elements = nullptr;
        }
    }
}

have_value:
    if (frames_.empty()) {
        doc_.root_ = node;
        p = SkipSpace(p, end_);
        if (p < end_) return FailAt(error, u"Corvane.Json: Unexpected content after JSON at position ", p);
        return true;
    }
    {
        Frame& f = frames_.back();
        if (f.isObject) {
            members_.push_back({f.key, f.keyLength, node});
            p = SkipSpace(p, end_);
            if (p >= end_) return Fail(error, u"Corvane.Json: Unterminated object");
            if (*p == u'}') { ++p; goto close_container; }
            if (*p != u',') return FailAt(error, u"Corvane.Json: Expected ',' or '}' at position ", p);
            ++p;
            goto parse_member;
        }
        values_.push_back(node);
        p = SkipSpace(p, end_);
        if (p >= end_) return Fail(error, u"Corvane.Json: Unterminated array");
        if (*p == u']') { ++p; goto close_container; }
        if (*p != u',') return FailAt(error, u"Corvane.Json: Expected ',' or ']' at position ", p);
        ++p;
        if (!Charge()) return Fail(error, u"Corvane.Json: DOM build exceeded memory limit");
        goto parse_value;
    }
}

bool ParseDocument(std::u16string_view text, std::uint64_t byteLimit,
                   std::unique_ptr<JsonDocument>& document, std::u16string& error) {
    document.reset();
    error.clear();
    auto doc = std::make_unique<JsonDocument>();
    doc->source_.assign(text.data() ? text : std::u16string_view());
    JsonDomBuilder builder(*doc, byteLimit);
    if (!builder.Parse(error)) return false;
    document = std::move(doc);
    return true;
}

}  // namespace Corvane
