#pragma once
// What long dictionary work needs of a wait window: a text, a chance to let the window handle
// its messages (so that Cancel works), and whether the user cancelled. The work runs on the
// window's thread; implementations must not throw.

#include <string>

class IWaitProgress {
public:
    virtual ~IWaitProgress() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual void Pump() = 0;
    virtual bool Cancelled() const = 0;
};
