// A picture of a window as it is drawn now, for looking at what a test drew.
#pragma once

#include <windows.h>

#include <string>

namespace pvtest {

// Writes the window's client area as a 24-bit BMP file (path UTF-8); false when it could not.
bool SaveClientImage(HWND window, const std::string& path);
// Saves the picture as NAME.bmp in the folder PV_TEST_SHOTS names; does nothing without it.
void SaveShotIfAsked(HWND window, const std::string& name);

}  // namespace pvtest
