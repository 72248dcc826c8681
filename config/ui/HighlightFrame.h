// A coloured frame around a rectangle of the screen: four narrow top-most windows, one per side,
// that neither take the focus nor catch the mouse.
#pragma once

#include <windows.h>

#include <memory>

class IHighlightFrame {
public:
    virtual ~IHighlightFrame() = default;
    // Screen rectangle to outline; the edges move at once when the frame is shown.
    virtual void SetRect(const RECT& rect) = 0;
    // Shows the frame without activating anything, or hides it; the same state again does nothing.
    virtual void Show(bool show) = 0;
    virtual void SetColor(COLORREF color) = 0;
    virtual void SetThickness(int pixels) = 0;
    // Pixels between the rectangle and the frame.
    virtual void SetGap(int pixels) = 0;
};

// Shared by the four edges of one frame.
struct FrameStyle {
    COLORREF color = RGB(255, 255, 0);
    RECT rect = {0, 0, 0, 0};
    int gap = 2;
    int thickness = 2;
};

enum FrameSide { kFrameLeft = 0, kFrameTop = 1, kFrameRight = 2, kFrameBottom = 3 };

// The screen rectangle of one side's band: thickness + 2 pixels wide, top and bottom span the corners.
RECT FrameEdgeRect(const FrameStyle& style, int side);

// The edges' window class.
extern const char kFrameEdgeClass[];

// A hidden frame with the default style; null when its windows cannot be made.
std::unique_ptr<IHighlightFrame> CreateHighlightFrame(HINSTANCE instance);
