#include "tests/support/BoxAnswer.h"

#include <chrono>
#include <iterator>

#include "base/Utf8Text.h"

namespace pvtest {
namespace {

using namespace std::chrono_literals;

const int kMessageStaticId = 0xFFFF;        // the message of a system message box
const int kFileNameIds[] = {0x47c, 0x480};  // the name combo and edit of the system's file dialogs

std::string TextOf(HWND window)
{
    wchar_t text[1024] = L"";
    ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return Narrow(text);
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM text)
{
    wchar_t className[16] = L"";
    ::GetClassNameW(child, className, static_cast<int>(std::size(className)));
    if (::lstrcmpiW(className, L"Static") == 0)
        *reinterpret_cast<std::string*>(text) += TextOf(child);
    return TRUE;
}

}  // namespace

BoxAnswer::BoxAnswer(std::string caption, int button, std::string fileName)
    : m_caption(std::move(caption)), m_button(button), m_fileName(std::move(fileName)), m_thread([this] { Run(); })
{
}

void BoxAnswer::Stop()
{
    m_stop = true;
    Join();
}

void BoxAnswer::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool BoxAnswer::Seen()
{
    Join();
    return m_seen;
}

std::string BoxAnswer::Text()
{
    Join();
    return m_text;
}

void BoxAnswer::Run()
{
    for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until && !m_stop;) {
        HWND box = ::FindWindowW(nullptr, Widen(m_caption).c_str());
        if (box && ::IsWindowVisible(box)) {
            HWND message = ::GetDlgItem(box, kMessageStaticId);
            if (message)
                m_text = TextOf(message);
            else
                ::EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&m_text));
            for (int id : kFileNameIds) {
                if (!m_fileName.empty())
                    ::SendMessageW(::GetDlgItem(box, id), WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(Widen(m_fileName).c_str()));
            }
            m_seen = true;
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

}  // namespace pvtest
