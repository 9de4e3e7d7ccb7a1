// The main thread, and a debug-build check that main-thread-only work runs there.
//
//   void Object::pin() const { OBJC_ASSERT_MAIN_THREAD("pinning an object"); ++pins_; }
//
// Reference counts, message lookup and the locks of objc/Lock.h serve any thread; pins, weak
// references, associated objects and the run loop have no lock and belong to the main thread.
// In a debug build (NDEBUG not defined) a call from any other thread stops the program, naming
// the operation; a release build checks nothing and pays nothing.
//
// The main thread is the process's first thread, the one that runs main() (on Linux the thread
// whose id is the process id); a child made by fork() has the forking thread as its main thread.
#pragma once

namespace objc {

bool isMainThread() noexcept;
// Prints "objc: <operation> off the main thread" and aborts.
[[noreturn]] void mainThreadViolation(const char* operation) noexcept;

} // namespace objc

#ifdef NDEBUG
#define OBJC_ASSERT_MAIN_THREAD(operation) static_cast<void>(0)
#else
#define OBJC_ASSERT_MAIN_THREAD(operation) (::objc::isMainThread() ? static_cast<void>(0) : ::objc::mainThreadViolation(operation))
#endif
