// What the window thread may reach on the engine thread (CEngineThread::Call): the learning store,
// the sync folder's part in it, and the dictionaries' ranks. The engine thread's host implements
// it; everything else the host holds stays on its own thread.
#pragma once

#include <string>

class CLearningHandOver;
class CSyncHandOver;

class ILearningDesk {
public:
    virtual CLearningHandOver& Learning() = 0;
    virtual CSyncHandOver& Sync() = 0;
    // A word's rank in the dictionaries, -1 when none holds it.
    virtual int RankOf(const std::string& word) = 0;

protected:
    ~ILearningDesk() = default;
};
