#include "foundation/Process.h"

#include "foundation/DarwinNotifyCenter.h"
#include "foundation/FoundationDataClasses.h"
#include "foundation/NSNotification.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/RunLoop.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <stdlib.h> // mkdtemp

namespace fs = std::filesystem;

namespace zovo {
namespace {

std::atomic<Process*> currentProcess{nullptr};

fs::path makeTemporaryRoot()
{
    std::string pattern = (fs::temp_directory_path() / "zovorudovu-root-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::system_error(errno, std::generic_category(), "cannot make a temporary file-system root from " + pattern);
    return fs::path(buffer.data());
}

// Completes `root` to the phone's layout. Existing directories and a correct User link are kept,
// so a root prepared by a scenario (with a settings file in place) can be reused.
void layOut(const fs::path& root)
{
    fs::create_directories(root / "var/mobile/Library/Preferences");
    fs::create_directories(root / "Library/PreferenceBundles/zovorudovu.bundle");
    fs::create_directories(root / "Library/MobileSubstrate/DynamicLibraries");
    const fs::path user = root / "User";
    const fs::path target = "var/mobile";
    const fs::file_status status = fs::symlink_status(user);
    if (!fs::exists(status)) {
        fs::create_directory_symlink(target, user);
    } else if (!fs::is_symlink(status) || fs::read_symlink(user) != target) {
        throw std::runtime_error("file-system root " + root.string() + ": User exists and is not a link to var/mobile");
    }
}

} // namespace

Process::Process(ProcessOptions options)
    : runtimeScope_(runtime_), previous_(currentProcess.load(std::memory_order_acquire)), root_(std::move(options.root))
{
    if (root_.empty()) {
        root_ = makeTemporaryRoot();
        ownsRoot_ = true;
    }
    try {
        layOut(root_);
        registerFoundationDataClasses(runtime_);
        NSNotification::registerIn(runtime_);
        NSNotificationCenter::registerIn(runtime_);
        runLoop_ = std::make_unique<RunLoop>();
        defaultCenter_ = objc::make<NSNotificationCenter>();
        darwin_ = std::make_unique<DarwinNotifyCenter>(*runLoop_);
    } catch (...) {
        // The destructor does not run for a process that failed to start: undo what only it
        // would undo. The members end on their own.
        if (ownsRoot_) {
            std::error_code ignored;
            fs::remove_all(root_, ignored);
        }
        throw;
    }
    // Only a process that started becomes current.
    currentProcess.store(this, std::memory_order_release);
}

Process::~Process()
{
    if (currentProcess.load(std::memory_order_acquire) != this) {
        std::fprintf(stderr, "zovo::Process: a process ended while another was current; processes must end in reverse order of creation\n");
        std::abort();
    }
    // Newest first. Each slot leaves the list before its value ends, so a value that reaches for
    // process-local storage as it ends finds the list consistent (and the lock free).
    while (!locals_.empty()) {
        Slot slot = std::move(locals_.back());
        locals_.pop_back();
    }
    runLoop_->discardAll();
    darwin_.reset();
    defaultCenter_ = nullptr;
    runLoop_.reset();
    if (ownsRoot_) {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    currentProcess.store(previous_, std::memory_order_release);
}

Process& Process::current()
{
    Process* process = currentOrNull();
    if (!process) throw objc::RuntimeError("no simulated process is running");
    return *process;
}

Process* Process::currentOrNull() { return currentProcess.load(std::memory_order_acquire); }

fs::path Process::hostPath(std::string_view processPath) const
{
    if (processPath.empty() || processPath.front() != '/' || processPath.find('\0') != std::string_view::npos) return {};
    fs::path host = root_;
    std::size_t start = 0;
    while (start < processPath.size()) {
        std::size_t end = processPath.find('/', start);
        if (end == std::string_view::npos) end = processPath.size();
        std::string_view component = processPath.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") return {};
        host /= component;
    }
    return host;
}

} // namespace zovo

// The platform's accessors for the process-wide centres sit beside the process that owns them, so
// the centres themselves need not know about processes.
NSNotificationCenter* NSNotificationCenter::defaultCenter() { return zovo::Process::current().defaultCenter(); }

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() { return &zovo::Process::current().darwinCenter(); }
