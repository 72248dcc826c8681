#include "tests/support/BoxAnswer.h"

#include <chrono>

namespace pvtest {
namespace {

using namespace std::chrono_literals;

const int kMessageStaticId = 0xFFFF;        // the message of a system message box
const int kFileNameIds[] = {0x47c, 0x480};  // the name combo and edit of the system's file dialogs

std::string TextOf(HWND window)
{
    char text[1024] = "";
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM text)
{
    char className[16] = "";
    ::GetClassNameA(child, className, sizeof(className));
    if (::lstrcmpiA(className, "Static") == 0)
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
        HWND box = ::FindWindowA(nullptr, m_caption.c_str());
        if (box && ::IsWindowVisible(box)) {
            HWND message = ::GetDlgItem(box, kMessageStaticId);
            if (message)
                m_text = TextOf(message);
            else
                ::EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&m_text));
            for (int id : kFileNameIds) {
                if (!m_fileName.empty())
                    ::SendMessageA(::GetDlgItem(box, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_fileName.c_str()));
            }
            m_seen = true;
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED), 0);
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

}  // namespace pvtest
