// Reading GDI back in the Windows tests: the pixels of a device context or
// a window as 32-bit colours, and the number of GDI objects alive in the
// process, counted in the GDI handle table the process environment block
// points to (Wine keeps it as Windows does; GetGuiResources is a stub there).
#pragma once

#include "draw_surface.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace t815::test {

struct Pixels {
    int width = 0, height = 0;
    std::vector<std::uint32_t> bgrx; // top row first

    Rgb at(int x, int y) const {
        const std::uint32_t p = bgrx[static_cast<std::size_t>(y) * width + x];
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                static_cast<std::uint8_t>(p)};
    }
    // Pixels of exactly this colour inside the rectangle.
    int count(PanelRect rect, Rgb colour) const {
        int found = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (at(x, y) == colour) ++found;
        return found;
    }
};

inline Pixels readBack(HDC source, int width, int height) {
    Pixels pixels{width, height,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    GetDIBits(memory, bitmap, 0, height, pixels.bgrx.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The window's pixels as it paints them into a memory context it is handed
// (PrintWindow: WM_PRINT, then WM_PRINTCLIENT), whatever the screen shows.
inline Pixels printWindow(HWND window, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PrintWindow(window, memory, PW_CLIENTONLY);
    Pixels pixels = readBack(memory, width, height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

inline Pixels readWindow(HWND window, int width, int height) {
    HDC dc = GetDC(window);
    Pixels pixels = readBack(dc, width, height);
    ReleaseDC(window, dc);
    return pixels;
}

// Live GDI objects of this process: entries of the shared handle table
// with a type.
inline int liveGdiObjects() {
    struct HandleEntry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint16_t unique;
        std::uint8_t type;
        std::uint8_t flags;
        std::uint64_t user;
    };
    static_assert(sizeof(HandleEntry) == 24);
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic,
                                  sizeof basic, nullptr) != 0)
        return -1;
    // PEB.GdiSharedHandleTable
    const auto* peb = reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress);
    const auto* table =
        *reinterpret_cast<const HandleEntry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
    if (!table) return -1;
    int live = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type) ++live;
    return live;
}

} // namespace t815::test
