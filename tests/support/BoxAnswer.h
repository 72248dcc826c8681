// Answers the next box with a given caption (a message box, or any dialog) from a thread of its
// own, so that a test never hangs on a box it opened: keeps its text, can fill in a file
// dialog's name, and presses a button. It gives up after ten seconds. Texts are UTF-8.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace pvtest {

class BoxAnswer {
public:
    explicit BoxAnswer(std::string caption, int button = IDOK, std::string fileName = {});
    ~BoxAnswer() { Join(); }
    BoxAnswer(const BoxAnswer&) = delete;
    BoxAnswer& operator=(const BoxAnswer&) = delete;

    // No box is expected any more: stops looking.
    void Stop();
    void Join();
    // Whether a box was answered (waits for the answer first).
    bool Seen();
    // A message box's message, else the texts of the box's static controls (waits first).
    std::string Text();

private:
    void Run();

    std::string m_caption;
    int m_button;
    std::string m_fileName;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_seen{false};
    std::string m_text;
    std::thread m_thread;
};

}  // namespace pvtest
