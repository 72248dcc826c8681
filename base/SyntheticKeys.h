// The scan code carried by every key event the program types itself: text output marks its
// events with it and the hook never reports them. Header only, so Zel.dll can use it too.
#pragma once

#define SYNTHETIC_SCAN_CODE 0xEE
