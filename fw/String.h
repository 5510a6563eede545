// Text in the program: CString holds narrow text in the ANSI code page (what the registry keeps),
// CStringW the UTF-16 text of windows.
#pragma once

#include <cstdlib>
#include <string>

// Allocates with the C runtime and ends the process when memory runs out. As the allocator is
// the program's own, the string code is compiled here without exceptions rather than taken,
// with the exception machinery it needs, from the C++ library.
template <class T>
struct CAllocator
{
    using value_type = T;

    CAllocator() = default;
    template <class U>
    CAllocator(const CAllocator<U>&) {}

    T* allocate(size_t n)
    {
        void* p = malloc(n * sizeof(T));
        if (!p)
            abort();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t) { free(p); }

    template <class U>
    bool operator==(const CAllocator<U>&) const { return true; }
    template <class U>
    bool operator!=(const CAllocator<U>&) const { return false; }
};

using CString = std::basic_string<char, std::char_traits<char>, CAllocator<char>>;
using CStringW = std::basic_string<wchar_t, std::char_traits<wchar_t>, CAllocator<wchar_t>>;
