#include "portable/print_rules.h"

#include <cstdio>

namespace Corvane::Chromium {

namespace {

std::u16string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

std::u16string JsonString(std::u16string_view text) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c < 0x20) {
            static constexpr char16_t kHex[] = u"0123456789abcdef";
            out += u"\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
    return out + u"\"";
}

std::u16string Escaped(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

// "1-3, 5, 7-" style lists: numbers from 1, optional open ends, commas between.
bool ValidRanges(std::u16string_view ranges) {
    bool digits = false, dash = false, any = false;
    for (char16_t c : ranges) {
        if (c >= u'0' && c <= u'9') {
            digits = any = true;
        } else if (c == u'-') {
            if (dash) return false;
            dash = true;
        } else if (c == u',') {
            if (!digits) return false;
            digits = dash = false;
        } else if (c != u' ') {
            return false;
        }
    }
    return any && digits;
}

// Chromium lays header and footer out in the margins at this size.
constexpr char16_t kBarStyle[] =
    u"font-size:9px;width:100%;margin:0 0.4in;display:flex;justify-content:space-between;font-family:sans-serif";

}  // namespace

std::u16string HeaderTemplate(std::u16string_view title) {
    std::u16string out = u"<div style=\"";
    out += kBarStyle;
    out += u"\"><span class=\"date\"></span>";
    out += title.empty() ? u"<span class=\"title\"></span>" : u"<span>" + Escaped(title) + u"</span>";
    return out + u"</div>";
}

std::u16string FooterTemplate(std::u16string_view uri) {
    std::u16string out = u"<div style=\"";
    out += kBarStyle;
    out += u"\">";
    out += uri.empty() ? u"<span class=\"url\"></span>" : u"<span>" + Escaped(uri) + u"</span>";
    return out + u"<span><span class=\"pageNumber\"></span>/<span class=\"totalPages\"></span></span></div>";
}

bool PrintToPdfParams(const PdfSettings& s, std::u16string& params, std::u16string& reason) {
    if (!(s.scale >= 0.1 && s.scale <= 2.0)) {
        reason = u"The scale factor must lie between 0.1 and 2.";
        return false;
    }
    if (!(s.marginTop >= 0 && s.marginBottom >= 0 && s.marginLeft >= 0 && s.marginRight >= 0)) {
        reason = u"Margins cannot be negative.";
        return false;
    }
    if (!(s.pageWidth >= 0.01 && s.pageHeight >= 0.01) || s.marginLeft + s.marginRight >= s.pageWidth ||
        s.marginTop + s.marginBottom >= s.pageHeight) {
        reason = u"The page size leaves no room inside the margins.";
        return false;
    }
    if (!s.pageRanges.empty() && !ValidRanges(s.pageRanges)) {
        reason = u"Page ranges are page numbers and ranges such as 1-3, separated by commas.";
        return false;
    }
    params = u"{\"landscape\":";
    params += s.landscape ? u"true" : u"false";
    params += u",\"scale\":" + Number(s.scale);
    // The browser's width and height are those of a portrait sheet; landscape turns it.
    params += u",\"paperWidth\":" + Number(s.pageWidth) + u",\"paperHeight\":" + Number(s.pageHeight);
    params += u",\"marginTop\":" + Number(s.marginTop) + u",\"marginBottom\":" + Number(s.marginBottom);
    params += u",\"marginLeft\":" + Number(s.marginLeft) + u",\"marginRight\":" + Number(s.marginRight);
    params += u",\"printBackground\":";
    params += s.backgrounds ? u"true" : u"false";
    params += u",\"displayHeaderFooter\":";
    params += s.headerAndFooter ? u"true" : u"false";
    if (s.headerAndFooter) {
        params += u",\"headerTemplate\":" + JsonString(HeaderTemplate(s.headerTitle));
        params += u",\"footerTemplate\":" + JsonString(FooterTemplate(s.footerUri));
    }
    if (!s.pageRanges.empty()) params += u",\"pageRanges\":" + JsonString(s.pageRanges);
    params += u"}";
    return true;
}

bool DecodeBase64(std::u16string_view text, std::vector<unsigned char>& out) {
    out.clear();
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == u'=') --end;
    if (text.size() - end > 2) return false;
    for (std::size_t i = 0; i < end; ++i) {
        const char16_t c = text[i];
        int v;
        if (c >= u'A' && c <= u'Z') v = c - u'A';
        else if (c >= u'a' && c <= u'z') v = c - u'a' + 26;
        else if (c >= u'0' && c <= u'9') v = c - u'0' + 52;
        else if (c == u'+') v = 62;
        else if (c == u'/') v = 63;
        else return false;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        if (++count == 4) {
            out.push_back(static_cast<unsigned char>(bits >> 16));
            out.push_back(static_cast<unsigned char>(bits >> 8));
            out.push_back(static_cast<unsigned char>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 1) return false;
    if (count == 2) out.push_back(static_cast<unsigned char>(bits >> 4));
    if (count == 3) {
        out.push_back(static_cast<unsigned char>(bits >> 10));
        out.push_back(static_cast<unsigned char>(bits >> 2));
    }
    return true;
}

}  // namespace Corvane::Chromium
