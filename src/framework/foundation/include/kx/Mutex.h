#pragma once
// The framework's lock: recursive, so the thread that holds it may take it again.
#include <mutex>

namespace KX {

class Mutex {
public:
    Mutex() = default;
    virtual ~Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a mutex for the scope; a null mutex means no locking.
class MutexLock {
public:
    explicit MutexLock(Mutex* mutex) : m_mutex(mutex)
    {
        if (m_mutex)
            m_mutex->Lock();
    }
    explicit MutexLock(Mutex& mutex) : MutexLock(&mutex) {}
    ~MutexLock()
    {
        if (m_mutex)
            m_mutex->Unlock();
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex* m_mutex;
};

} // namespace KX
