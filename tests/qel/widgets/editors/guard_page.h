// Memory that ends against a page nobody may read, so a test proves a widget never reads past the
// end of a caller's array: the read faults instead of finding whatever lies beyond.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

class guard_page_block {
public:
    // bytes of memory whose last byte lies just before an unreadable page.
    explicit guard_page_block(size_t bytes) : size(round_up(bytes) + page())
    {
#ifdef _WIN32
        base = (uint8_t*)VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        VirtualProtect(base + size - page(), page(), PAGE_NOACCESS, &old);
#else
        base = (uint8_t*)mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        mprotect(base + size - page(), page(), PROT_NONE);
#endif
        data = base + size - page() - bytes;
    }
    ~guard_page_block()
    {
#ifdef _WIN32
        VirtualFree(base, 0, MEM_RELEASE);
#else
        munmap(base, size);
#endif
    }
    guard_page_block(const guard_page_block&) = delete;
    guard_page_block& operator=(const guard_page_block&) = delete;

    void* data;

private:
    static size_t page()
    {
#ifdef _WIN32
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwPageSize;
#else
        return (size_t)sysconf(_SC_PAGESIZE);
#endif
    }
    static size_t round_up(size_t bytes) { return (bytes + page() - 1) / page() * page(); }

    size_t size;
    uint8_t* base;
};
