// Where a window keeps its place between runs. The window asks for the place and reports it;
// which file (and which keys) hold it is the owner's business, not the window's.
#pragma once

namespace pvbase {

class IPositionMemory {
public:
    virtual ~IPositionMemory() = default;
    // False when no place was kept.
    virtual bool Recall(int& x, int& y) const = 0;
    virtual void Remember(int x, int y) = 0;
};

}  // namespace pvbase
