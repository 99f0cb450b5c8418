#include "HostWindow.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <windows.h>

namespace
{
const char* const className = "TolvoAaxHostWindow";

LRESULT CALLBACK windowProc (HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA (hwnd, message, wParam, lParam);
}

void registerClass()
{
    static const bool registered = []
    {
        WNDCLASSA windowClass {};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleA (nullptr);
        windowClass.lpszClassName = className;
        windowClass.hCursor = LoadCursor (nullptr, IDC_ARROW);
        return RegisterClassA (&windowClass) != 0;
    }();
    (void) registered;
}

HWND handle (void* window) { return static_cast<HWND> (window); }

void put16 (std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back (static_cast<uint8_t> (v));
    out.push_back (static_cast<uint8_t> (v >> 8));
}

void put32 (std::vector<uint8_t>& out, uint32_t v)
{
    put16 (out, v & 0xFFFF);
    put16 (out, v >> 16);
}
} // namespace

HostWindow::HostWindow (int width, int height)
{
    registerClass();
    // WS_CLIPCHILDREN: the plug-in's child window paints its own area.
    window = CreateWindowExA (0, className, "Tolvo", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                              nullptr, nullptr, GetModuleHandleA (nullptr), nullptr);
}

HostWindow::~HostWindow()
{
    if (window != nullptr)
        DestroyWindow (handle (window));
}

void HostWindow::resize (int width, int height)
{
    SetWindowPos (handle (window), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void HostWindow::pump (int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (milliseconds);

    while (std::chrono::steady_clock::now() < end)
    {
        MSG message;

        while (PeekMessageA (&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage (&message);
            DispatchMessageA (&message);
        }

        MsgWaitForMultipleObjects (0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

int HostWindow::clientWidth() const
{
    RECT r {};
    GetClientRect (handle (window), &r);
    return static_cast<int> (r.right - r.left);
}

int HostWindow::clientHeight() const
{
    RECT r {};
    GetClientRect (handle (window), &r);
    return static_cast<int> (r.bottom - r.top);
}

int HostWindow::dpi() const
{
    return static_cast<int> (GetDpiForWindow (handle (window)));
}

bool HostWindow::saveBitmap (const std::string& path) const
{
    const int width = clientWidth(), height = clientHeight();

    if (width <= 0 || height <= 0)
        return false;

    // Read from the screen, so the picture is what the user would see,
    // child windows included.
    POINT origin { 0, 0 };
    ClientToScreen (handle (window), &origin);

    HDC screen = GetDC (nullptr);
    HDC memory = CreateCompatibleDC (screen);
    HBITMAP bitmap = CreateCompatibleBitmap (screen, width, height);
    auto* previous = SelectObject (memory, bitmap);
    BitBlt (memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject (memory, previous);

    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof (BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    const auto rowBytes = static_cast<uint32_t> ((width * 3 + 3) & ~3);
    std::vector<uint8_t> pixels (rowBytes * static_cast<uint32_t> (height));
    const auto lines = GetDIBits (memory, bitmap, 0, static_cast<UINT> (height), pixels.data(), &info, DIB_RGB_COLORS);

    DeleteObject (bitmap);
    DeleteDC (memory);
    ReleaseDC (nullptr, screen);

    if (lines != height)
        return false;

    std::vector<uint8_t> file;
    file.push_back ('B');
    file.push_back ('M');
    put32 (file, 54 + static_cast<uint32_t> (pixels.size()));
    put32 (file, 0);
    put32 (file, 54);
    put32 (file, 40);
    put32 (file, static_cast<uint32_t> (width));
    put32 (file, static_cast<uint32_t> (height));
    put16 (file, 1);
    put16 (file, 24);
    put32 (file, 0);
    put32 (file, static_cast<uint32_t> (pixels.size()));
    put32 (file, 2835);
    put32 (file, 2835);
    put32 (file, 0);
    put32 (file, 0);
    file.insert (file.end(), pixels.begin(), pixels.end());

    FILE* out = std::fopen (path.c_str(), "wb");

    if (out == nullptr)
        return false;

    const bool written = std::fwrite (file.data(), 1, file.size(), out) == file.size();
    return std::fclose (out) == 0 && written;
}
