// Built into a test copy of the plug-in library: every heap call the
// library's own code makes (malloc and friends, linked with --wrap, and
// operator new, replaced here) is counted while counting is on, so a test
// can prove that the real-time calls allocate nothing. Works the same in the
// Windows DLLs, whose C++ runtime is linked in statically and so out of any
// host's sight.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#define PROBE_EXPORT extern "C"
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
std::atomic<bool> counting{false};
std::atomic<long> counted{0};
void count() {
    if (counting.load(std::memory_order_relaxed)) counted.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* block, std::size_t size);

void* __wrap_malloc(std::size_t size) {
    count();
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
    count();
    return __real_calloc(n, size);
}
void* __wrap_realloc(void* block, std::size_t size) {
    count();
    return __real_realloc(block, size);
}
}

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

PROBE_EXPORT void t815CountAllocations(int on) {
    if (on) counted = 0;
    counting = on != 0;
}
PROBE_EXPORT long t815CountedAllocations() {
    return counted;
}
