// Small helpers for the HTML pages the tool writes.
#pragma once

#include <string>
#include <string_view>

namespace zovo {

// Text made safe to stand in HTML content and attribute values.
std::string escapeHTML(std::string_view text);
// The same for XML (and pages that must also read as XML): invalid UTF-8 repaired and the control
// characters XML 1.0 cannot hold at all left out, since file names and labels may carry any byte.
std::string escapeXML(std::string_view text);

} // namespace zovo
