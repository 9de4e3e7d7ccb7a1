#include "objc/MainThread.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace objc {

bool isMainThread() noexcept
{
    // Asked afresh each time rather than cached per thread: a child made by fork() from another
    // thread would keep a stale answer. Debug builds only pay for it.
    return ::gettid() == ::getpid();
}

void mainThreadViolation(const char* operation) noexcept
{
    std::fprintf(stderr, "objc: %s off the main thread\n", operation);
    std::abort();
}

} // namespace objc
