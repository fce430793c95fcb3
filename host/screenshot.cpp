#include "host/screenshot.h"

#include <commctrl.h>
#include <prsht.h>
#include <wincodec.h>

#include <vector>

#include "common/handles.h"

namespace oemuihost {
namespace {

struct ScreenshotState {
    std::wstring path;
    Report *pReport = nullptr;
    UINT_PTR timer = 0;
    int ticks = 0;
} g_shot;

HWND FindSheet() {
    HWND hFound = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(hWnd, cls, 16);
            if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hWnd)) return TRUE;
            *reinterpret_cast<HWND *>(lParam) = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

void CALLBACK ShotTimer(HWND, UINT, UINT_PTR, DWORD) {
    // Give the sheet a moment to paint all its controls.
    if (++g_shot.ticks < 3) return;
    HWND hSheet = FindSheet();
    if (hSheet == nullptr) return;
    DisarmScreenshot();
    std::wstring error;
    if (SaveWindowBitmap(hSheet, g_shot.path, &error))
        g_shot.pReport->Add(L"sheet", L"screenshot saved to " + g_shot.path);
    else
        g_shot.pReport->Add(L"error", L"screenshot failed: " + error);
    PostMessageW(hSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

struct DcReleaser {
    HDC hdc;
    ~DcReleaser() {
        if (hdc) ReleaseDC(nullptr, hdc);
    }
};
struct DcDeleter {
    HDC hdc;
    ~DcDeleter() {
        if (hdc) DeleteDC(hdc);
    }
};
struct BitmapDeleter {
    HBITMAP h;
    ~BitmapDeleter() {
        if (h) DeleteObject(h);
    }
};

}  // namespace

namespace {

// The window as the screen shows it: bottom-up 24-bit rows, each padded to 4 bytes.
bool CaptureWindow(HWND hWnd, BITMAPINFOHEADER *pHeader, std::vector<BYTE> *pPixels, std::wstring *pError) {
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0) {
        *pError = L"the window has no size";
        return false;
    }
    DcReleaser screen{GetDC(nullptr)};
    DcDeleter mem{CreateCompatibleDC(screen.hdc)};
    BitmapDeleter bmp{CreateCompatibleBitmap(screen.hdc, cx, cy)};
    if (!screen.hdc || !mem.hdc || !bmp.h) {
        *pError = L"no device context or bitmap";
        return false;
    }
    HGDIOBJ old = SelectObject(mem.hdc, bmp.h);
    // What is on the screen is what the user sees; under Xvfb nothing covers it.
    BitBlt(mem.hdc, 0, 0, cx, cy, screen.hdc, rc.left, rc.top, SRCCOPY);
    SelectObject(mem.hdc, old);

    BITMAPINFOHEADER &bih = *pHeader;
    bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(cx) * 3 + 3) & ~3u);
    pPixels->assign(static_cast<size_t>(stride) * static_cast<size_t>(cy), 0);
    if (!GetDIBits(mem.hdc, bmp.h, 0, static_cast<UINT>(cy), pPixels->data(), reinterpret_cast<BITMAPINFO *>(&bih),
                   DIB_RGB_COLORS)) {
        *pError = L"GetDIBits failed";
        return false;
    }
    return true;
}

template <typename T>
struct ComRelease {
    T *p = nullptr;
    ~ComRelease() {
        if (p) p->Release();
    }
};

}  // namespace

bool SaveWindowBitmap(HWND hWnd, const std::wstring &path, std::wstring *pError) {
    BITMAPINFOHEADER bih;
    std::vector<BYTE> pixels;
    if (!CaptureWindow(hWnd, &bih, &pixels, pError)) return false;
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + static_cast<DWORD>(pixels.size());
    oemui::KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *pError = L"cannot create " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file.get(), &bfh, sizeof(bfh), &written, nullptr) &&
                    WriteFile(file.get(), &bih, sizeof(bih), &written, nullptr) &&
                    WriteFile(file.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    if (!ok) *pError = L"cannot write " + path;
    return ok;
}

bool SaveWindowPng(HWND hWnd, const std::wstring &path, std::wstring *pError) {
    BITMAPINFOHEADER bih;
    std::vector<BYTE> pixels;
    if (!CaptureWindow(hWnd, &bih, &pixels, pError)) return false;
    // The file first: a path that cannot be written is the caller's mistake,
    // reported as such rather than as a codec failure.
    oemui::KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *pError = L"cannot create " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    file.reset();
    const HRESULT hrInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT hr = E_FAIL;
    {
        ComRelease<IWICImagingFactory> factory;
        ComRelease<IWICStream> stream;
        ComRelease<IWICBitmapEncoder> encoder;
        ComRelease<IWICBitmapFrameEncode> frame;
        ComRelease<IPropertyBag2> props;
        hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void **>(&factory.p));
        if (SUCCEEDED(hr)) hr = factory.p->CreateStream(&stream.p);
        if (SUCCEEDED(hr)) hr = stream.p->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        if (SUCCEEDED(hr)) hr = factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p);
        if (SUCCEEDED(hr)) hr = encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache);
        if (SUCCEEDED(hr)) hr = encoder.p->CreateNewFrame(&frame.p, &props.p);
        if (SUCCEEDED(hr)) hr = frame.p->Initialize(props.p);
        const UINT cx = static_cast<UINT>(bih.biWidth), cy = static_cast<UINT>(bih.biHeight);
        if (SUCCEEDED(hr)) hr = frame.p->SetSize(cx, cy);
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        if (SUCCEEDED(hr)) hr = frame.p->SetPixelFormat(&format);
        if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) hr = E_FAIL;
        const UINT stride = (cx * 3 + 3) & ~3u;
        // The capture is bottom-up; the codec takes rows from the top.
        for (UINT y = 0; SUCCEEDED(hr) && y < cy; ++y)
            hr = frame.p->WritePixels(1, stride, stride, pixels.data() + static_cast<size_t>(cy - 1 - y) * stride);
        if (SUCCEEDED(hr)) hr = frame.p->Commit();
        if (SUCCEEDED(hr)) hr = encoder.p->Commit();
    }
    if (SUCCEEDED(hrInit)) CoUninitialize();
    if (FAILED(hr)) {
        DeleteFileW(path.c_str());
        *pError = L"the PNG cannot be encoded (" + Hex32(static_cast<unsigned long>(hr)) + L")";
        return false;
    }
    return true;
}

void ArmScreenshot(const std::wstring &path, Report *pReport) {
    g_shot.path = path;
    g_shot.pReport = pReport;
    g_shot.ticks = 0;
    g_shot.timer = SetTimer(nullptr, 0, 500, &ShotTimer);
}

void DisarmScreenshot() {
    if (g_shot.timer != 0) KillTimer(nullptr, g_shot.timer);
    g_shot.timer = 0;
}

}  // namespace oemuihost
