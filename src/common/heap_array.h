// A growing array of plain records on the process heap, for code that must
// not throw: Add reports a failed allocation instead.
#pragma once

#include <windows.h>

#include <type_traits>

namespace oemui {

template <typename T>
class HeapArray {
    static_assert(std::is_trivially_copyable<T>::value, "records are moved with the heap block");

public:
    HeapArray() = default;
    ~HeapArray() {
        if (m_p != nullptr) HeapFree(GetProcessHeap(), 0, m_p);
    }
    HeapArray(const HeapArray &) = delete;
    HeapArray &operator=(const HeapArray &) = delete;

    // A new record at the end, or null when the heap has no room for it.
    T *Add() {
        if (m_c == m_cCapacity && !Grow()) return nullptr;
        return &m_p[m_c++];
    }
    void Clear() { m_c = 0; }
    UINT Count() const { return m_c; }
    T &operator[](UINT i) { return m_p[i]; }
    const T &operator[](UINT i) const { return m_p[i]; }

private:
    bool Grow() {
        if (m_cCapacity > MAXDWORD / 2 / sizeof(T)) return false;
        const UINT cNew = m_cCapacity == 0 ? 16 : m_cCapacity * 2;
        void *pNew = m_p == nullptr ? HeapAlloc(GetProcessHeap(), 0, cNew * sizeof(T))
                                    : HeapReAlloc(GetProcessHeap(), 0, m_p, cNew * sizeof(T));
        if (pNew == nullptr) return false;
        m_p = static_cast<T *>(pNew);
        m_cCapacity = cNew;
        return true;
    }

    T *m_p = nullptr;
    UINT m_c = 0;
    UINT m_cCapacity = 0;
};

}  // namespace oemui
