// Identifiers of the test receiver (pvrecv.exe), for the tools that drive it.
#pragma once

#define RECEIVER_WINDOW_CLASS "PvTestReceiver"
// WM_COPYDATA with this dwData carries one text command (see TestReceiver.cpp).
#define RECEIVER_COMMAND_DATA 0x5056
