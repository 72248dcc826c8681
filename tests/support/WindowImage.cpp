#include "tests/support/WindowImage.h"

#include <cstdlib>
#include <vector>

#include "base/FileIo.h"

namespace pvtest {

bool SaveClientImage(HWND window, const std::string& path)
{
    RECT client{};
    if (!::GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return false;
    const int width = client.right, height = client.bottom;
    HDC screen = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files keep it
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    const bool read = ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                                  DIB_RGB_COLORS) == height;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, screen);
    if (!read)
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(pixels.data(), pixels.size());
    return pvbase::WriteFileAtomically(path, bytes);
}

void SaveShotIfAsked(HWND window, const std::string& name)
{
    const char* folder = std::getenv("PV_TEST_SHOTS");
    if (folder && *folder)
        SaveClientImage(window, std::string(folder) + "\\" + name + ".bmp");
}

}  // namespace pvtest
