// The tool's exit statuses, the same for every command. Nothing else is ever returned: a status
// a script cannot look up in this table is a status it cannot act on.
#pragma once

namespace zovo {

enum class ExitStatus {
    Done = 0,           // the command did what was asked
    InputUnusable = 1,  // a file missing, unreadable or malformed, an unknown device
    BadCommandLine = 2, // an unknown option, a missing or ill-formed value, a value that is not UTF-8
};

inline int code(ExitStatus status) { return static_cast<int>(status); }

} // namespace zovo
