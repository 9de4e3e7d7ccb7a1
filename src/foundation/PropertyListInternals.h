// What the three parts of the property-list code share: the pre-scans that guard the parser
// against untrusted files (PropertyListScan.cpp), reading and conversion to objects
// (PropertyListRead.cpp), and writing (PropertyListWrite.cpp). Private to the foundation layer.
#pragma once

#include <plist/plist.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zovo::propertylist {

// Why a list is refused, without the file's name, which the caller puts in front.
struct Failure {
    std::string reason;
};

struct NodeFree {
    void operator()(void* node) const { plist_free(node); }
};
// A parsed or built tree, freed whole.
using NodePtr = std::unique_ptr<void, NodeFree>;

// Checks a binary list before the parser sees it (the layout, the nesting, the number of values
// once shared objects are counted at each place, keys the parser would abort on) and, when it
// passes, rewrites in place the 16-byte integers the parser would cut short. `warnings` get what
// will be read other than as the file wrote it.
std::optional<Failure> prepareBinary(std::string& bytes, std::vector<std::string>& warnings);

// The text to hand the parser for an XML list: without a byte-order mark, its nesting checked,
// and its integers written as the phone reads them.
std::optional<Failure> prepareXml(std::string_view bytes, std::string& text);

// Where a well-formed-looking XML text first goes wrong, for a person to find it:
// " (line N: what)", or empty when its tags balance (the fault is then in a value, which the
// parser does not place).
std::string xmlFaultLine(std::string_view text);

} // namespace zovo::propertylist
