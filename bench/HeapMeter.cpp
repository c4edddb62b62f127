#include "HeapMeter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

std::size_t held = 0;
std::size_t peak = 0;

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        held += malloc_usable_size(p);
        if (held > peak) {
            peak = held;
        }
    }
    return p;
}

void Release(void* p) {
    if (p != nullptr) {
        held -= malloc_usable_size(p);
        std::free(p);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

namespace quorrel::bench {

HeapMeter::HeapMeter() : start_(held) {
    peak = held;
}

std::size_t HeapMeter::PeakGrowth() const {
    return peak - start_;
}

}  // namespace quorrel::bench
