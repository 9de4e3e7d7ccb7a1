// One simulated process: everything that is process-wide on a phone lives here, so tests can
// make a fresh one per case and nothing leaks from one case to the next.
//
//   zovo::Process process;                     // becomes the current process
//   objc::Class cls = objc::objc_getClass("NSString");
//   process.mainRunLoop().advance(0.3);         // virtual time; nothing sleeps
//
// Owns: the class table (objc::Runtime), the main run loop and its clock, the default
// notification centre, the Darwin notification centre, the file-system root, and process-local
// storage for the layers above (screen, component globals, the host application ...).
// Ends in reverse: process-local storage first (newest first), then the blocks still queued on
// the run loop (dropped without running, while the centres still exist for whatever their
// captures do as they end), then the centres, the run loop, the file-system root when the
// process made it, and last the class table, so no object outlives the classes it points at.
//
// Processes nest: they must end in reverse order of creation. To replace one, end it before
// making the next (`process.reset(); process = std::make_unique<zovo::Process>();`); ending a
// process that is not the current one stops the program with a message.
#pragma once

#include "objc/Lock.h"
#include "objc/Object.h"
#include "objc/Runtime.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>
#include <vector>

class NSNotificationCenter;

namespace zovo {

class RunLoop;
class DarwinNotifyCenter;

struct ProcessOptions {
    // The directory that stands for "/" in this process. Empty: a fresh temporary directory,
    // removed when the process ends.
    std::filesystem::path root;
};

class Process {
public:
    // Starts with the foundation's classes registered (the data classes, NSNotification and
    // NSNotificationCenter) and becomes current. Throws, leaving no process behind, when the
    // file-system root cannot be made or laid out. That is a broken environment (no writable
    // temporary directory) or a broken program (a root it chose that is not a root), never bad
    // input, so a process is made by its constructor and not by a factory returning ErrorOr: it
    // stays an ordinary object a test or a command puts on its stack.
    explicit Process(ProcessOptions options = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The process running now. There is one at a time; a new Process becomes current and the
    // previous one is current again when it ends. current() throws objc::RuntimeError when no
    // process is running.
    static Process& current();
    static Process* currentOrNull();

    objc::Runtime& runtime() { return runtime_; }
    RunLoop& mainRunLoop() { return *runLoop_; }
    NSNotificationCenter* defaultCenter() { return defaultCenter_.get(); }
    DarwinNotifyCenter& darwinCenter() { return *darwin_; }

    // The file-system root, laid out as on the phone: var/mobile/Library/Preferences,
    // Library/PreferenceBundles/zovorudovu.bundle, Library/MobileSubstrate/DynamicLibraries, and
    // User as a relative link to var/mobile, so "/User/Library/Preferences/x.plist" and
    // "/var/mobile/Library/Preferences/x.plist" name one file. A given root is completed to this
    // layout; one that cannot be (User already exists and is not that link) is a
    // std::runtime_error naming the root.
    const std::filesystem::path& root() const { return root_; }
    // The host path of an absolute path inside the process ("/var/mobile/..."), or empty when the
    // path is not absolute, holds a NUL character, or has a ".." component (which could leave the
    // root). Empty and "." components are skipped.
    std::filesystem::path hostPath(std::string_view processPath) const;

    // Process-local storage: one T per process, made on first use (thread-safe), ended with the
    // process in reverse order of creation.
    template <class T>
    T& local()
    {
        Locker lock(localsMutex_);
        for (auto& slot : locals_)
            if (slot.type == std::type_index(typeid(T))) return *static_cast<T*>(slot.value.get());
        auto value = std::make_unique<T>();
        T* raw = value.get();
        locals_.push_back(Slot{std::type_index(typeid(T)), std::unique_ptr<void, void (*)(void*)>(value.release(), [](void* p) { delete static_cast<T*>(p); })});
        return *raw;
    }

private:
    struct Slot {
        std::type_index type;
        std::unique_ptr<void, void (*)(void*)> value;
    };

    objc::Runtime runtime_;
    objc::Runtime::Scope runtimeScope_;
    Process* previous_;
    std::filesystem::path root_;
    bool ownsRoot_ = false;
    std::unique_ptr<RunLoop> runLoop_;
    objc::StrongRef<NSNotificationCenter> defaultCenter_;
    std::unique_ptr<DarwinNotifyCenter> darwin_;
    Mutex localsMutex_;
    std::vector<Slot> locals_ GUARDED_BY(localsMutex_);
};

} // namespace zovo
