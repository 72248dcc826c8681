// The system's screen-reader flag: programs report their caret to accessibility clients only
// while it is on. It is set for as long as the object lives and put back as it was afterwards;
// the user's profile is never written.
#pragma once

class CScreenReaderFlag {
public:
    CScreenReaderFlag() = default;
    ~CScreenReaderFlag() { Restore(); }
    CScreenReaderFlag(const CScreenReaderFlag&) = delete;
    CScreenReaderFlag& operator=(const CScreenReaderFlag&) = delete;

    void TurnOn();
    void Restore();

private:
    bool m_set = false;
    int m_before = 0;
};
