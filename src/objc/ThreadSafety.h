// Annotations that tie data to the lock guarding it, checked by clang's thread-safety analysis
// (-Wthread-safety, turned on by the ZOVO_THREAD_SAFETY build option) and empty for other
// compilers.
//
//   class Counter {
//   public:
//       void bump() EXCLUDES(mutex_) { zovo::Locker lock(mutex_); ++count_; }
//   private:
//       zovo::Mutex mutex_;
//       int count_ GUARDED_BY(mutex_) = 0;   // touched without mutex_ held: a compile error
//   };
//
// A leaf of the object runtime so that every layer may include it. The lock types that carry
// these annotations are in objc/Lock.h.
#pragma once

#if defined(__clang__)
#define ZOVO_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define ZOVO_THREAD_ANNOTATION(x)
#endif

// A type whose objects are locks ("mutex") or other capabilities.
#define CAPABILITY(name) ZOVO_THREAD_ANNOTATION(capability(name))
// A type whose objects hold a capability for their own lifetime (a scoped locker).
#define SCOPED_CAPABILITY ZOVO_THREAD_ANNOTATION(scoped_lockable)

// Data read or written only with the given lock held (for a pointer: the data it points to).
#define GUARDED_BY(x) ZOVO_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) ZOVO_THREAD_ANNOTATION(pt_guarded_by(x))

// A function that must be called with the lock held (exclusively or shared), or without it.
#define REQUIRES(...) ZOVO_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define REQUIRES_SHARED(...) ZOVO_THREAD_ANNOTATION(requires_shared_capability(__VA_ARGS__))
#define EXCLUDES(...) ZOVO_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

// A function that takes or gives up the lock.
#define ACQUIRE(...) ZOVO_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) ZOVO_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
#define RELEASE(...) ZOVO_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) ZOVO_THREAD_ANNOTATION(release_shared_capability(__VA_ARGS__))
#define RELEASE_GENERIC(...) ZOVO_THREAD_ANNOTATION(release_generic_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) ZOVO_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))

// A function that returns the lock named (an accessor), or that checks at run time that the
// calling thread holds it.
#define RETURN_CAPABILITY(x) ZOVO_THREAD_ANNOTATION(lock_returned(x))
#define ASSERT_CAPABILITY(x) ZOVO_THREAD_ANNOTATION(assert_capability(x))

// Turns the analysis off for one function, whose comment says why it is safe.
#define NO_THREAD_SAFETY_ANALYSIS ZOVO_THREAD_ANNOTATION(no_thread_safety_analysis)
