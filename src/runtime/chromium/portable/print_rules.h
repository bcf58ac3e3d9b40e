// Print settings as Page.printToPDF's parameters, and the base64 that PDFs
// and screenshots come back in. Portable: tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Corvane::Chromium {

// What a print settings object holds (lengths in inches, as the runtime's).
struct PdfSettings {
    bool landscape = false;
    double scale = 1.0;
    double pageWidth = 8.5, pageHeight = 11.0;
    double marginTop = 0.4, marginBottom = 0.4, marginLeft = 0.4, marginRight = 0.4;
    bool backgrounds = false;
    bool headerAndFooter = false;
    std::u16string headerTitle, footerUri;
    std::u16string pageRanges;   // "1-3, 5"; empty: every page
};

// Page.printToPDF's parameter object. Values the browser would refuse with
// a protocol error no host could read are refused here instead (false, with
// the reason): a scale outside 0.1 to 2, a page smaller than 0.01 inch or
// margins that leave no printable area, negative margins, and page ranges
// that are not comma-separated numbers and number pairs.
bool PrintToPdfParams(const PdfSettings& settings, std::u16string& params, std::u16string& reason);

// The header and footer as the browser's templates: the title (the
// document's own when none is set) and the date at the top, the URI (the
// page's when none is set) and "page / pages" at the bottom. Host text is
// HTML-escaped: it is shown, never parsed.
std::u16string HeaderTemplate(std::u16string_view title);
std::u16string FooterTemplate(std::u16string_view uri);

// Standard base64 (padding optional, no line breaks); false on any other character.
bool DecodeBase64(std::u16string_view text, std::vector<unsigned char>& out);

}  // namespace Corvane::Chromium
