#include "tools/testkit/SyntheticInput.h"

#include "hook/HookMessages.h"

#ifdef PV_HAVE_TEXTOUT
// The program's own text output, as the main program uses it.
#include "textout/Win32InputSystem.h"

int TypeText(const std::string& text)
{
    PlayText(text);
    return 1;
}

int TypeVirtualKey(BYTE virtualKey)
{
    return SendKeystroke(0, virtualKey);
}

int PasteClipboardText(const std::string& text)
{
    return PasteText(text.c_str());
}

#else
// Until text output is built: minimal synthetic events of our own.
#include <vector>

#include "tools/testkit/TestkitUtil.h"

namespace {

void AddKey(std::vector<INPUT>& inputs, BYTE virtualKey, bool release)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = SYNTHETIC_SCAN_CODE;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
}

bool Send(std::vector<INPUT>& inputs)
{
    return SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

int TypeText(const std::string& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t ch : testkit::Widen(text)) {
        SHORT scan = VkKeyScanW(ch);
        if (scan == -1)
            return 0;
        bool shift = (scan & 0x100) != 0;
        if (shift)
            AddKey(inputs, VK_SHIFT, false);
        AddKey(inputs, LOBYTE(scan), false);
        AddKey(inputs, LOBYTE(scan), true);
        if (shift)
            AddKey(inputs, VK_SHIFT, true);
    }
    return Send(inputs) ? 1 : 0;
}

int TypeVirtualKey(BYTE virtualKey)
{
    std::vector<INPUT> inputs;
    AddKey(inputs, virtualKey, false);
    AddKey(inputs, virtualKey, true);
    return Send(inputs) ? 1 : 0;
}

int PasteClipboardText(const std::string& text)
{
    if (!OpenClipboard(nullptr))
        return 1;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory) {
        CloseClipboard();
        return 0;
    }
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    std::vector<INPUT> inputs;
    AddKey(inputs, VK_CONTROL, false);
    AddKey(inputs, 'V', false);
    AddKey(inputs, 'V', true);
    AddKey(inputs, VK_CONTROL, true);
    return Send(inputs) ? 1 : 0;
}

#endif
