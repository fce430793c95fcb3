// Owners for the GDI objects pages and dialogs create: memory device
// contexts, bitmaps and fonts, and the selection of an object into
// a device context. A dialog deletes everything it creates, on every path.
#pragma once

#include <windows.h>

#include "common/handles.h"

namespace oemui {

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using GdiBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using GdiFont = UniqueHandle<GdiObjectTraits<HFONT>>;

struct MemoryDCTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

// A memory device context compatible with hdcLike (or the screen for null).
class MemoryDC : public UniqueHandle<MemoryDCTraits> {
public:
    explicit MemoryDC(HDC hdcLike) : UniqueHandle<MemoryDCTraits>(CreateCompatibleDC(hdcLike)) {}
};

// Selects an object into a device context and selects the previous one back
// when it goes. False when the selection failed (nothing to undo then).
class GdiSelection {
public:
    GdiSelection(HDC hdc, HGDIOBJ hObject)
        : m_hdc(hdc), m_hPrevious(hdc != nullptr && hObject != nullptr ? SelectObject(hdc, hObject) : nullptr) {
        if (m_hPrevious == HGDI_ERROR) m_hPrevious = nullptr;
    }
    ~GdiSelection() {
        if (m_hPrevious != nullptr) SelectObject(m_hdc, m_hPrevious);
    }
    GdiSelection(const GdiSelection &) = delete;
    GdiSelection &operator=(const GdiSelection &) = delete;
    explicit operator bool() const { return m_hPrevious != nullptr; }

private:
    HDC m_hdc;
    HGDIOBJ m_hPrevious;
};

}  // namespace oemui
