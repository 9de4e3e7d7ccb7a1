#include "cli/Html.h"

#include "foundation/Json.h"

namespace zovo {

std::string escapeHTML(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string escapeXML(std::string_view text)
{
    std::string kept;
    for (char c : repairUtf8(text))
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') kept += c;
    return escapeHTML(kept);
}

} // namespace zovo
