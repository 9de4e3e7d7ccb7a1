// Small helpers for the HTML pages the tool writes.
#pragma once

#include <string>
#include <string_view>

namespace zovo {

// Text made safe to stand in HTML content and attribute values.
std::string escapeHTML(std::string_view text);

} // namespace zovo
