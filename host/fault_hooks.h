// The machinery behind the fault table: one typed replacement per imported
// function, generated from the function's own type. x64 has one calling
// convention, so a thunk R WINAPI Call(A...) forwards every argument exactly.
// Each replacement counts its calls, fails the one it is told to (with the
// failure value and last error of its row) and otherwise forwards to the
// function the import slot held before.
#pragma once

#include <windows.h>

#include <atomic>
#include <type_traits>

namespace oemuihost {

// Per row, while the replacements are installed.
struct FaultRowState {
    std::atomic<long> calls{0};
    long failAt = 0;           // the call (from 1) to fail; 0: none
    int variant = 0;           // which of the row's failure modes
    std::atomic<long> injected{0};
    void *pNext = nullptr;     // what the slot held before the replacement
};

// What a row does around a real call: GDI accounting and the like.
enum class AfterCall { None, GdiCreated, GdiCreatedIfBitmap, GdiDeleted, DcCreated, DcDeleted, DcReleased, LibraryLoaded };

// The emulator's books of GDI objects the plug-in made and freed.
void NoteGdiCreated(void *handle, bool dc);
void NoteGdiDeleted(void *handle, bool dc);
// A library the plug-in loaded: the network library gets the replacements too.
void NoteLibraryLoaded(HMODULE hModule);

template <typename Fn, typename Fail, AfterCall After, int Tag>
struct FaultHook;

template <typename R, typename... A, typename Fail, AfterCall After, int Tag>
struct FaultHook<R (*)(A...), Fail, After, Tag> {
    static inline FaultRowState *state = nullptr;

    static R WINAPI Call(A... a) {
        FaultRowState *s = state;
        const long n = ++s->calls;
        if (n == s->failAt) {
            ++s->injected;
            return Fail::template Make<R>(*s, a...);
        }
        R result = reinterpret_cast<R(WINAPI *)(A...)>(s->pNext)(a...);
        Account(result, a...);
        return result;
    }

    static void Account(R result, A... a) {
        if constexpr (After == AfterCall::GdiCreated || After == AfterCall::DcCreated) {
            if (result != nullptr) NoteGdiCreated(reinterpret_cast<void *>(result), After == AfterCall::DcCreated);
        } else if constexpr (After == AfterCall::GdiCreatedIfBitmap) {
            // LoadImageW(hInst, name, type, ...): only bitmaps are GDI objects.
            if (result != nullptr && ImageType(a...) == IMAGE_BITMAP) NoteGdiCreated(reinterpret_cast<void *>(result), false);
        } else if constexpr (After == AfterCall::GdiDeleted || After == AfterCall::DcDeleted) {
            if (result) NoteGdiDeleted(reinterpret_cast<void *>(First(a...)), After == AfterCall::DcDeleted);
        } else if constexpr (After == AfterCall::DcReleased) {
            // ReleaseDC(hWnd, hDC): the DC is the second argument.
            if (result) NoteGdiDeleted(reinterpret_cast<void *>(Second(a...)), true);
        } else if constexpr (After == AfterCall::LibraryLoaded) {
            if (result != nullptr) NoteLibraryLoaded(result);
            ((void)a, ...);
        } else {
            (void)result;
            ((void)a, ...);
        }
    }

    template <typename F, typename... Rest>
    static F First(F f, Rest...) { return f; }
    template <typename F, typename S, typename... Rest>
    static S Second(F, S s, Rest...) { return s; }
    template <typename A0, typename A1, typename A2, typename... Rest>
    static UINT ImageType(A0, A1, A2 type, Rest...) { return static_cast<UINT>(type); }
};

// The failure modes. Value/Err: the documented failure value and last error.
template <INT_PTR Value, DWORD Err>
struct Returns {
    template <typename R, typename... A>
    static R Make(const FaultRowState &, A...) {
        SetLastError(Err);
        if constexpr (std::is_pointer_v<R>) return reinterpret_cast<R>(Value);
        else return static_cast<R>(Value);
    }
};

// Registry and printer-data calls return their error code; the last error
// is left alone, as the platform does.
template <LONG Code>
struct ReturnsCode {
    template <typename R, typename... A>
    static R Make(const FaultRowState &, A...) { return static_cast<R>(Code); }
};

}  // namespace oemuihost
