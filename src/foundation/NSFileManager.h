// The file manager: files of the current process, addressed by the process's own absolute paths.
//
//   NSFileManager* files = NSFileManager::defaultManager();
//   if (!files->fileExistsAtPath("/User/Library/Preferences/x.plist"))
//       files->copyItemAtPath("/Library/PreferenceBundles/b.bundle/defaults.plist", "/User/Library/Preferences/x.plist");
//
// Every path is resolved inside the process's file-system root. A path that is not absolute, that
// climbs out with "..", or that reaches outside the root through a symbolic link is treated as a
// file that does not exist.
#pragma once

#include "objc/Object.h"

#include <filesystem>
#include <string>
#include <string_view>

class NSFileManager : public objc::Object {
public:
    static constexpr const char* kClassName = "NSFileManager";

    NSFileManager() = default;

    // One per process, made on first use and ended with the process. Fails loudly when no
    // simulated process is running.
    static NSFileManager* defaultManager();

    // Whether something exists at the path, following symbolic links (a dangling link is nothing).
    bool fileExistsAtPath(std::string_view processPath) const;

    // Copies a file, or a directory with everything in it (symbolic links are copied as links).
    // Never overwrites: false when anything, even a dangling link, is at the destination. Also
    // false when the source is missing, the destination's directory does not exist, or the copy
    // fails. No error object is made; the platform's error out-parameter is set to nil.
    bool copyItemAtPath(std::string_view fromProcessPath, std::string_view toProcessPath) const;
};

namespace zovo {

// The host path of an absolute path inside the current process, or empty when there is no
// current process or the path would lead outside its root (see above).
std::filesystem::path hostPathInCurrentProcess(std::string_view processPath);

} // namespace zovo
