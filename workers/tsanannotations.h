#pragma once

// Qt's own library is not built with ThreadSanitizer, so a QMutex handed over
// on its contended path, or a thread that ended before QThread::wait, looks
// unsynchronised to it. These calls tell it about the hand-overs our code
// owns; they vanish in every other build.

#if defined(__SANITIZE_THREAD__)
#define LUMETRA_TSAN_ENABLED 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LUMETRA_TSAN_ENABLED 1
#endif
#endif

#ifdef LUMETRA_TSAN_ENABLED
#include <sanitizer/tsan_interface.h>
#endif

/// Everything this thread did so far happens before a later tsanAcquire(address).
inline void tsanRelease(const void *address)
{
#ifdef LUMETRA_TSAN_ENABLED
    __tsan_release(const_cast<void *>(address));
#else
    (void)address;
#endif
}

inline void tsanAcquire(const void *address)
{
#ifdef LUMETRA_TSAN_ENABLED
    __tsan_acquire(const_cast<void *>(address));
#else
    (void)address;
#endif
}
