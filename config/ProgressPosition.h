// The progress window's place, kept in Config.ini ([Settings] X and Y).
#pragma once

#include <string>

#include "base/PositionMemory.h"

class CProgressPosition : public pvbase::IPositionMemory {
public:
    // An empty path: Config.ini beside the program.
    explicit CProgressPosition(std::string profilePath = {});

    bool Recall(int& x, int& y) const override;
    void Remember(int x, int y) override;

private:
    std::string m_path;
};
