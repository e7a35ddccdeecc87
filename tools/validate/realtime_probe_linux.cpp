// The Linux probe: the validator's own malloc family and blocking calls,
// which count and then forward to the C library (glibc's __libc_* heap
// entries; the rest found with dlsym(RTLD_NEXT) before main). Counting is
// off unless a section is open, and a section counts only its own thread:
// thread_local flags, no allocation, no lock.
#include "realtime_probe.h"

#include <atomic>
#include <cstddef>
#include <ctime>
#include <dlfcn.h>
#include <malloc.h>
#include <pthread.h>
#include <semaphore.h>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace {

thread_local bool inSection = false;
std::atomic<bool> balancing{false};
std::atomic<long> heapCalls{0};
std::atomic<long> blockingCalls{0};
std::atomic<long> outstandingBlocks{0};
std::atomic<long long> outstandingBytes{0};
std::atomic<const char*> firstHeapCall{nullptr};
std::atomic<const char*> firstBlockingCall{nullptr};

void noteHeapCall(const char* name) {
    if (!inSection) return;
    if (heapCalls++ == 0) firstHeapCall = name;
}

void noteBlockingCall(const char* name) {
    if (!inSection) return;
    if (blockingCalls++ == 0) firstBlockingCall = name;
}

void noteAllocated(void* block) {
    if (!block || !balancing) return;
    ++outstandingBlocks;
    outstandingBytes += static_cast<long long>(malloc_usable_size(block));
}

void noteReleased(void* block) {
    if (!block || !balancing) return;
    --outstandingBlocks;
    outstandingBytes -= static_cast<long long>(malloc_usable_size(block));
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using MutexLock = int (*)(pthread_mutex_t*);
using RwLock = int (*)(pthread_rwlock_t*);
using CondWait = int (*)(pthread_cond_t*, pthread_mutex_t*);
using CondTimedWait = int (*)(pthread_cond_t*, pthread_mutex_t*, const timespec*);
using SemWait = int (*)(sem_t*);
using Nanosleep = int (*)(const timespec*, timespec*);
using ClockNanosleep = int (*)(clockid_t, int, const timespec*, timespec*);

struct RealFunctions {
    MutexLock mutexLock = nullptr;
    RwLock rdlock = nullptr;
    RwLock wrlock = nullptr;
    CondWait condWait = nullptr;
    CondTimedWait condTimedWait = nullptr;
    SemWait semWait = nullptr;
    Nanosleep nanosleep = nullptr;
    ClockNanosleep clockNanosleep = nullptr;
};

RealFunctions real;

// Before main; again on a first call that comes earlier still.
__attribute__((constructor(101))) void findRealFunctions() {
    real.mutexLock = next<MutexLock>("pthread_mutex_lock");
    real.rdlock = next<RwLock>("pthread_rwlock_rdlock");
    real.wrlock = next<RwLock>("pthread_rwlock_wrlock");
    real.condWait = next<CondWait>("pthread_cond_wait");
    real.condTimedWait = next<CondTimedWait>("pthread_cond_timedwait");
    real.semWait = next<SemWait>("sem_wait");
    real.nanosleep = next<Nanosleep>("nanosleep");
    real.clockNanosleep = next<ClockNanosleep>("clock_nanosleep");
}

ProbeCounts takeCounts() {
    ProbeCounts counts;
    counts.heapCalls = heapCalls.exchange(0);
    counts.blockingCalls = blockingCalls.exchange(0);
    counts.outstandingBlocks = outstandingBlocks.exchange(0);
    counts.outstandingBytes = outstandingBytes.exchange(0);
    const char* heap = firstHeapCall.exchange(nullptr);
    const char* blocking = firstBlockingCall.exchange(nullptr);
    if (heap) counts.firstHeapCall = heap;
    if (blocking) counts.firstBlockingCall = blocking;
    return counts;
}

} // namespace

extern "C" {

void* malloc(std::size_t size) {
    noteHeapCall("malloc");
    void* block = __libc_malloc(size);
    noteAllocated(block);
    return block;
}

void* calloc(std::size_t count, std::size_t size) {
    noteHeapCall("calloc");
    void* block = __libc_calloc(count, size);
    noteAllocated(block);
    return block;
}

void* realloc(void* block, std::size_t size) {
    noteHeapCall("realloc");
    noteReleased(block);
    void* moved = __libc_realloc(block, size);
    noteAllocated(moved ? moved : (size ? block : nullptr));
    return moved;
}

void* memalign(std::size_t alignment, std::size_t size) {
    noteHeapCall("memalign");
    void* block = __libc_memalign(alignment, size);
    noteAllocated(block);
    return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    noteHeapCall("aligned_alloc");
    void* block = __libc_memalign(alignment, size);
    noteAllocated(block);
    return block;
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    noteHeapCall("posix_memalign");
    *result = __libc_memalign(alignment, size);
    noteAllocated(*result);
    return *result || size == 0 ? 0 : 12; // ENOMEM
}

void free(void* block) {
    if (block) noteHeapCall("free");
    noteReleased(block);
    __libc_free(block);
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    noteBlockingCall("pthread_mutex_lock");
    if (!real.mutexLock) findRealFunctions(); // a call before the constructor ran
    return real.mutexLock(mutex);
}

int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
    noteBlockingCall("pthread_rwlock_rdlock");
    if (!real.rdlock) findRealFunctions();
    return real.rdlock(lock);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
    noteBlockingCall("pthread_rwlock_wrlock");
    if (!real.wrlock) findRealFunctions();
    return real.wrlock(lock);
}

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    noteBlockingCall("pthread_cond_wait");
    if (!real.condWait) findRealFunctions();
    return real.condWait(condition, mutex);
}

int pthread_cond_timedwait(pthread_cond_t* condition, pthread_mutex_t* mutex,
                           const timespec* until) {
    noteBlockingCall("pthread_cond_timedwait");
    if (!real.condTimedWait) findRealFunctions();
    return real.condTimedWait(condition, mutex, until);
}

int sem_wait(sem_t* semaphore) {
    noteBlockingCall("sem_wait");
    if (!real.semWait) findRealFunctions();
    return real.semWait(semaphore);
}

int nanosleep(const timespec* duration, timespec* remaining) {
    noteBlockingCall("nanosleep");
    if (!real.nanosleep) findRealFunctions();
    return real.nanosleep(duration, remaining);
}

int clock_nanosleep(clockid_t clock, int flags, const timespec* until, timespec* remaining) {
    noteBlockingCall("clock_nanosleep");
    if (!real.clockNanosleep) findRealFunctions();
    return real.clockNanosleep(clock, flags, until, remaining);
}

} // extern "C"

bool probeAvailable(std::string&) {
    return real.mutexLock != nullptr;
}

void beginRealtimeSection() {
    takeCounts();
    inSection = true;
}

ProbeCounts endRealtimeSection() {
    inSection = false;
    return takeCounts();
}

void beginHeapBalance() {
    takeCounts();
    balancing = true;
}

ProbeCounts endHeapBalance() {
    balancing = false;
    return takeCounts();
}
