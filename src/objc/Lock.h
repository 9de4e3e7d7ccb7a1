// Locks that clang's thread-safety analysis understands: thin wrappers over the standard
// library's, whose own types carry no annotations.
//
//   zovo::Mutex mutex;
//   std::vector<int> items GUARDED_BY(mutex);
//   {
//       zovo::Locker lock(mutex);       // held until the end of the scope
//       items.push_back(1);
//   }
//
// A waiter on a Condition holds the mutex and loops on its own test, written in the function
// that holds the lock (a lambda would be checked as a function of its own, without the lock):
//
//   zovo::Locker lock(mutex);
//   while (items.empty()) wake.wait(mutex);
#pragma once

#include "objc/ThreadSafety.h"

#include <condition_variable>
#include <mutex>
#include <shared_mutex>

namespace zovo {

class CAPABILITY("mutex") Mutex {
public:
    constexpr Mutex() noexcept = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }

private:
    friend class Condition;
    std::mutex mutex_;
};

// Many readers or one writer.
class CAPABILITY("mutex") SharedMutex {
public:
    SharedMutex() = default;
    SharedMutex(const SharedMutex&) = delete;
    SharedMutex& operator=(const SharedMutex&) = delete;

    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }
    void lockShared() ACQUIRE_SHARED() { mutex_.lock_shared(); }
    void unlockShared() RELEASE_SHARED() { mutex_.unlock_shared(); }

private:
    std::shared_mutex mutex_;
};

// Holds a Mutex for its scope. unlock() and lock() let go of it and take it again inside the
// scope (around slow work that needs no lock); the destructor releases it only when held.
class SCOPED_CAPABILITY Locker {
public:
    explicit Locker(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~Locker() RELEASE()
    {
        if (held_) mutex_.unlock();
    }
    Locker(const Locker&) = delete;
    Locker& operator=(const Locker&) = delete;

    void unlock() RELEASE()
    {
        mutex_.unlock();
        held_ = false;
    }
    void lock() ACQUIRE()
    {
        mutex_.lock();
        held_ = true;
    }

private:
    Mutex& mutex_;
    bool held_ = true;
};

// Holds a SharedMutex for its scope, alone (WriteLocker) or beside other readers (ReadLocker).
class SCOPED_CAPABILITY WriteLocker {
public:
    explicit WriteLocker(SharedMutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~WriteLocker() RELEASE() { mutex_.unlock(); }
    WriteLocker(const WriteLocker&) = delete;
    WriteLocker& operator=(const WriteLocker&) = delete;

private:
    SharedMutex& mutex_;
};

class SCOPED_CAPABILITY ReadLocker {
public:
    explicit ReadLocker(SharedMutex& mutex) ACQUIRE_SHARED(mutex) : mutex_(mutex) { mutex_.lockShared(); }
    ~ReadLocker() RELEASE() { mutex_.unlockShared(); }
    ReadLocker(const ReadLocker&) = delete;
    ReadLocker& operator=(const ReadLocker&) = delete;

private:
    SharedMutex& mutex_;
};

// A condition variable for Mutex. wait() lets go of the mutex while it sleeps and holds it
// again when it returns; it may return without a notification, so callers loop on their test.
class Condition {
public:
    void wait(Mutex& mutex) REQUIRES(mutex)
    {
        std::unique_lock<std::mutex> lock(mutex.mutex_, std::adopt_lock);
        condition_.wait(lock);
        lock.release();
    }
    void notifyAll() noexcept { condition_.notify_all(); }

private:
    std::condition_variable condition_;
};

} // namespace zovo
