#include "registrar_script.h"

#include <algorithm>
#include <utility>

namespace Corvane {

namespace {

constexpr int kMaxDepth = 128;          // far deeper than any real script; bounds recursion
constexpr std::size_t kQuoteLimit = 40;  // longest name echoed in a message

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

void AppendUtf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
}

std::string Quote(std::u16string_view text) {
    std::string out = "'";
    AppendUtf8(out, text.substr(0, kQuoteLimit));
    if (text.size() > kQuoteLimit) out += "...";
    return out + "'";
}

struct Failure {
    std::size_t offset;
    std::string message;
};

enum class TokenKind { End, Word, Quoted, Equals, Open, Close };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t offset = 0;
    std::u16string_view raw;  // the source text of a word
    std::u16string text;      // a word or quoted string with '' undoubled and variables replaced
};

std::string Describe(const Token& t) {
    switch (t.kind) {
    case TokenKind::End: return "the end of the script";
    case TokenKind::Equals: return "'='";
    case TokenKind::Open: return "'{'";
    case TokenKind::Close: return "'}'";
    case TokenKind::Word: return Quote(t.raw);
    case TokenKind::Quoted: return "the quoted string " + Quote(t.text);
    }
    return {};
}

class Lexer {
public:
    Lexer(std::u16string_view s, const ReplacementMap& vars) : s_(s), vars_(vars) {}

    Token Next() {
        while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
        Token t;
        t.offset = pos_;
        if (pos_ == s_.size()) return t;
        char16_t c = s_[pos_];
        if (c == u'=' || c == u'}') {
            t.kind = c == u'=' ? TokenKind::Equals : TokenKind::Close;
            ++pos_;
        } else if (c == u'{' && (pos_ + 1 == s_.size() || IsSpace(s_[pos_ + 1]) || s_[pos_ + 1] == u'}')) {
            // A '{' that starts a word is a GUID key name such as {7DD95801-...}.
            t.kind = TokenKind::Open;
            ++pos_;
        } else if (c == u'\'') {
            t.kind = TokenKind::Quoted;
            ReadQuoted(t);
        } else {
            t.kind = TokenKind::Word;
            ReadWord(t);
        }
        return t;
    }

private:
    void ReadQuoted(Token& t) {
        ++pos_;
        for (;;) {
            if (pos_ == s_.size()) throw Failure{t.offset, "quoted string is never closed"};
            char16_t c = s_[pos_];
            if (c == u'\'') {
                if (pos_ + 1 < s_.size() && s_[pos_ + 1] == u'\'') {
                    t.text += u'\'';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return;
            }
            if (c == u'%') {
                pos_ = Replace(pos_, s_.size(), t.text);
                continue;
            }
            t.text += c;
            ++pos_;
        }
    }

    void ReadWord(Token& t) {
        std::size_t start = pos_;
        if (s_[pos_] == u'{') {
            while (++pos_ < s_.size() && !EndsWord(s_[pos_]) && s_[pos_] != u'{') {
                if (s_[pos_] == u'}') {
                    ++pos_;
                    break;
                }
            }
        } else {
            while (pos_ < s_.size() && !EndsWord(s_[pos_]) && s_[pos_] != u'{' && s_[pos_] != u'}') ++pos_;
        }
        t.raw = s_.substr(start, pos_ - start);
        for (std::size_t i = start; i < pos_;) {
            if (s_[i] == u'%') {
                i = Replace(i, pos_, t.text);
            } else {
                t.text += s_[i++];
            }
        }
    }

    static bool EndsWord(char16_t c) { return IsSpace(c) || c == u'=' || c == u'\''; }

    // Replaces the variable starting at the '%' at `at`, looking no further
    // than `limit`; answers the position after its closing '%'.
    std::size_t Replace(std::size_t at, std::size_t limit, std::u16string& out) {
        std::size_t close = at + 1;
        while (close < limit && s_[close] != u'%' && s_[close] != u'\'' && s_[close] != u'\n') ++close;
        if (close >= limit || s_[close] != u'%') throw Failure{at, "'%' starts a replacement variable that is never closed (write %% for a literal %)"};
        std::u16string_view name = s_.substr(at + 1, close - at - 1);
        if (name.empty()) {
            out += u'%';
        } else {
            auto it = vars_.find(name);
            if (it == vars_.end()) {
                std::string shown = "unknown replacement variable %";
                AppendUtf8(shown, name.substr(0, kQuoteLimit));
                throw Failure{at, shown + "%"};
            }
            out += it->second;
        }
        return close + 1;
    }

    std::u16string_view s_;
    const ReplacementMap& vars_;
    std::size_t pos_ = 0;
};

std::optional<std::uint32_t> ParseDword(std::u16string_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == u'&' && FoldAscii(text[1]) == u'h') {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        unsigned digit;
        char16_t f = FoldAscii(c);
        if (f >= u'0' && f <= u'9') digit = f - u'0';
        else if (base == 16 && f >= u'a' && f <= u'f') digit = f - u'a' + 10;
        else return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

enum class Keyword { None, Val, NoRemove, ForceRemove, Delete };

constexpr std::pair<std::u16string_view, Keyword> kKeywords[] = {
    {u"val", Keyword::Val},
    {u"NoRemove", Keyword::NoRemove},
    {u"ForceRemove", Keyword::ForceRemove},
    {u"Delete", Keyword::Delete},
};

constexpr std::pair<std::u16string_view, RegistryRoot> kRoots[] = {
    {u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},     {u"HKCR", RegistryRoot::ClassesRoot},
    {u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},     {u"HKCU", RegistryRoot::CurrentUser},
    {u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},   {u"HKLM", RegistryRoot::LocalMachine},
    {u"HKEY_USERS", RegistryRoot::Users},                  {u"HKU", RegistryRoot::Users},
    {u"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig}, {u"HKCC", RegistryRoot::CurrentConfig},
};

class Parser {
public:
    Parser(std::u16string_view s, const ReplacementMap& vars) : lexer_(s, vars) { next_ = lexer_.Next(); }

    std::vector<RegistryTree> Script() {
        std::vector<RegistryTree> trees;
        while (next_.kind != TokenKind::End) {
            Token root = Take();
            RegistryTree tree;
            tree.root = Root(root);
            Token open = Take();
            if (open.kind != TokenKind::Open)
                throw Failure{open.offset, "expected '{' after root key " + Quote(root.raw) + ", found " + Describe(open)};
            Body(tree.values, tree.keys, open.offset, 1);
            trees.push_back(std::move(tree));
        }
        return trees;
    }

private:
    Token Take() {
        Token t = std::move(next_);
        next_ = lexer_.Next();
        return t;
    }

    static RegistryRoot Root(const Token& t) {
        if (t.kind == TokenKind::Word) {
            for (const auto& [name, root] : kRoots)
                if (EqualsIgnoringCase(t.raw, name)) return root;
            throw Failure{t.offset, "unknown root key " + Quote(t.raw) + " (expected HKCR, HKCU, HKLM, HKU or HKCC)"};
        }
        throw Failure{t.offset, "expected a root key such as HKCR, found " + Describe(t)};
    }

    static Keyword KeywordOf(const Token& t) {
        if (t.kind == TokenKind::Word)
            for (const auto& [word, keyword] : kKeywords)
                if (EqualsIgnoringCase(t.raw, word)) return keyword;
        return Keyword::None;
    }

    void Body(std::vector<NamedValue>& values, std::vector<RegistryKey>& keys, std::size_t openedAt, int depth) {
        for (;;) {
            Token t = Take();
            if (t.kind == TokenKind::Close) return;
            if (t.kind == TokenKind::End) throw Failure{openedAt, "this '{' is never closed"};
            auto keyword = KeywordOf(t);
            if (keyword == Keyword::Val) {
                values.push_back(Named());
                continue;
            }
            RegistryKey key;
            if (keyword != Keyword::None) {
                key.disposition = keyword == Keyword::NoRemove      ? KeyDisposition::NoRemove
                                  : keyword == Keyword::ForceRemove ? KeyDisposition::ForceRemove
                                                                    : KeyDisposition::Delete;
                t = Take();
            }
            key.name = KeyName(t);
            if (key.disposition == KeyDisposition::Delete) {
                if (next_.kind == TokenKind::Equals || next_.kind == TokenKind::Open)
                    throw Failure{next_.offset, "a Delete key takes no value and no subkeys"};
                keys.push_back(std::move(key));
                continue;
            }
            if (next_.kind == TokenKind::Equals) {
                Take();
                key.defaultValue = Value();
            }
            if (next_.kind == TokenKind::Open) {
                Token open = Take();
                if (depth >= kMaxDepth) throw Failure{open.offset, "keys are nested too deeply"};
                Body(key.values, key.subkeys, open.offset, depth + 1);
            }
            keys.push_back(std::move(key));
        }
    }

    NamedValue Named() {
        Token name = Take();
        if (name.kind != TokenKind::Word && name.kind != TokenKind::Quoted)
            throw Failure{name.offset, "expected a value name after 'val', found " + Describe(name)};
        if (name.text.empty())
            throw Failure{name.offset, "empty value name (a key's default value is written Key = s '...')"};
        CheckNoNul(name);
        Token eq = Take();
        if (eq.kind != TokenKind::Equals)
            throw Failure{eq.offset, "expected '=' after value name " + Quote(name.text) + ", found " + Describe(eq)};
        NamedValue v{std::move(name.text), Value()};
        if (next_.kind == TokenKind::Open) throw Failure{next_.offset, "a named value cannot have subkeys"};
        return v;
    }

    static std::u16string KeyName(Token& t) {
        if (t.kind != TokenKind::Word && t.kind != TokenKind::Quoted)
            throw Failure{t.offset, "expected a key name, found " + Describe(t)};
        if (t.text.empty()) throw Failure{t.offset, "empty key name"};
        // A path would be created in one step but only its last key removed again.
        if (t.text.find(u'\\') != std::u16string::npos)
            throw Failure{t.offset, "key name " + Quote(t.text) + " contains '\\'; nest the keys instead"};
        CheckNoNul(t);
        return std::move(t.text);
    }

    static void CheckNoNul(const Token& t) {
        if (t.text.find(u'\0') != std::u16string::npos)
            throw Failure{t.offset, "a name or value contains a NUL character"};
    }

    RegistryValue Value() {
        Token type = Take();
        bool isString = type.kind == TokenKind::Word && type.raw == u"s";
        bool isDword = type.kind == TokenKind::Word && type.raw == u"d";
        if (!isString && !isDword) {
            if (type.kind == TokenKind::Word && (type.raw == u"m" || type.raw == u"b"))
                throw Failure{type.offset, "value type " + Quote(type.raw) + " is not supported (only s and d are)"};
            throw Failure{type.offset, "expected a value type, s or d, after '=', found " + Describe(type)};
        }
        Token v = Take();
        if (v.kind != TokenKind::Quoted)
            throw Failure{v.offset, "expected a quoted value after " + Quote(type.raw) + ", found " + Describe(v)};
        CheckNoNul(v);
        RegistryValue value;
        if (isString) {
            value.text = std::move(v.text);
        } else {
            auto n = ParseDword(v.text);
            if (!n)
                throw Failure{v.offset, Quote(v.text) + " is not a DWORD (decimal 0 to 4294967295, or hexadecimal &H0 to &HFFFFFFFF)"};
            value.type = RegistryValue::Type::Dword;
            value.number = *n;
        }
        return value;
    }

    Lexer lexer_;
    Token next_;
};

bool DecodeUtf8(std::string_view bytes, std::u16string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    out.reserve(bytes.size());
    while (p < end) {
        unsigned c = *p++;
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            continue;
        }
        int extra;
        std::uint32_t cp, min;
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; min = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; min = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; min = 0x10000; }
        else return false;
        if (end - p < extra) return false;
        for (int i = 0; i < extra; ++i) {
            unsigned b = *p++;
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return true;
}

}  // namespace

bool RegistrarNameLess::operator()(std::u16string_view a, std::u16string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
}

std::string RegistrarScriptError::Describe() const {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

RegistrarScript ParseRegistrarScript(std::u16string_view script, const ReplacementMap& replacements) {
    RegistrarScript result;
    try {
        // The registry API takes NUL-terminated names, so a NUL would silently cut one short.
        if (auto nul = script.find(u'\0'); nul != std::u16string_view::npos) throw Failure{nul, "NUL character in the script"};
        result.trees = Parser(script, replacements).Script();
    } catch (const Failure& f) {
        RegistrarScriptError e;
        e.offset = f.offset;
        e.message = f.message;
        std::u16string_view before = script.substr(0, f.offset);
        e.line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), u'\n'));
        std::size_t lineStart = before.rfind(u'\n');
        e.column = f.offset - (lineStart == std::u16string_view::npos ? 0 : lineStart + 1) + 1;
        result.trees.clear();
        result.error = std::move(e);
    }
    return result;
}

std::optional<std::u16string> DecodeRegistrarScript(std::string_view bytes) {
    std::u16string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2) return std::nullopt;
        text.resize(bytes.size() / 2);
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                            static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    } else {
        if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        if (!DecodeUtf8(bytes, text)) return std::nullopt;
    }
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

}  // namespace Corvane
