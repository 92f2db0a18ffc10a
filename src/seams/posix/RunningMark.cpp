#include "seams/RunningMark.h"

namespace RunningMark {

void hold() {} // no setup looks for a running program outside Windows

} // namespace RunningMark
