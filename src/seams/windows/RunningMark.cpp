#include "seams/RunningMark.h"

#include <windows.h>

namespace RunningMark {

void hold()
{
    // Never closed: Windows drops the handle when the process ends, however it ends, and the mark
    // goes with the last program holding it. When another user's program made it first, that
    // one's mark is enough (the creation is refused to this account, and the program goes on).
    static const HANDLE mark = ::CreateMutexW(nullptr, FALSE, kName);
    static_cast<void>(mark);
}

} // namespace RunningMark
