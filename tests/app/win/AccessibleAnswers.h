// What the accessibility look-ups answer, as the caret tracker's tests hand it in.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include "app/win/CaretTracker.h"

namespace apptest {

inline CCaretTracker::AccessibleAnswers Role(long role)
{
    CCaretTracker::AccessibleAnswers a;
    a.roleOk = true;
    a.role = role;
    return a;
}

// A caret object's location; its role answered as a caret's.
inline CCaretTracker::AccessibleAnswers CaretAt(long l, long t, long w, long h)
{
    CCaretTracker::AccessibleAnswers a = Role(ROLE_SYSTEM_CARET);
    a.locationOk = true;
    a.left = l;
    a.top = t;
    a.width = w;
    a.height = h;
    return a;
}

}  // namespace apptest
