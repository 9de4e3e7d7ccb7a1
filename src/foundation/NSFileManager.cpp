#include "foundation/NSFileManager.h"

#include "foundation/Process.h"
#include "objc/Runtime.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// The process's shared manager, kept in process-local storage so it ends with its process.
struct DefaultFileManager {
    objc::StrongRef<NSFileManager> manager = objc::make<NSFileManager>();
};

} // namespace

namespace zovo {

fs::path hostPathInCurrentProcess(std::string_view processPath)
{
    Process* process = Process::currentOrNull();
    if (!process) return {};
    fs::path host = process->hostPath(processPath);
    if (host.empty()) return {};
    // hostPath has already refused "..". A symbolic link can still lead out, so the path as the
    // file system resolves it must stay inside the resolved root.
    std::error_code error;
    fs::path root = fs::weakly_canonical(process->root(), error);
    if (error) return {};
    fs::path resolved = fs::weakly_canonical(host, error);
    if (error) return {};
    auto [rootLeft, resolvedLeft] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    (void)resolvedLeft;
    if (rootLeft != root.end()) return {};
    return host;
}

} // namespace zovo

NSFileManager* NSFileManager::defaultManager()
{
    zovo::Process* process = zovo::Process::currentOrNull();
    if (!process) throw objc::RuntimeError("+[NSFileManager defaultManager]: no simulated process is running");
    return process->local<DefaultFileManager>().manager.get();
}

bool NSFileManager::fileExistsAtPath(std::string_view processPath) const
{
    fs::path host = zovo::hostPathInCurrentProcess(processPath);
    if (host.empty()) return false;
    std::error_code error;
    return fs::exists(host, error) && !error;
}

bool NSFileManager::copyItemAtPath(std::string_view fromProcessPath, std::string_view toProcessPath) const
{
    fs::path from = zovo::hostPathInCurrentProcess(fromProcessPath);
    fs::path to = zovo::hostPathInCurrentProcess(toProcessPath);
    if (from.empty() || to.empty()) return false;
    std::error_code error;
    fs::file_status source = fs::status(from, error);
    if (error || !fs::exists(source)) return false;
    if (fs::symlink_status(to, error).type() != fs::file_type::not_found) return false;
    if (!fs::is_directory(to.parent_path(), error)) return false;
    if (fs::is_directory(source)) {
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
    } else if (fs::is_regular_file(source)) {
        fs::copy_file(from, to, fs::copy_options::none, error);
    } else {
        return false; // devices, sockets and pipes are not copied
    }
    return !error;
}
