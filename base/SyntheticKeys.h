// The marks carried by every key event the program types itself: text output marks its events
// with them and the hook never reports them. Header only, so Zel.dll can use it too.
#pragma once

#define SYNTHETIC_SCAN_CODE 0xEE
// The dwExtraInfo of every key event the program types: a Unicode event (KEYEVENTF_UNICODE,
// reported as VK_PACKET) holds its character where the scan code would be, so this marks it.
#define SYNTHETIC_EXTRA_INFO 0x50560EEu
