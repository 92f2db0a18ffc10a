#pragma once

// A CMSI function as a test row writes it: its type and the option boxes ticked.
#include "config/PanelConfig.h"

#include <QList>

struct FunctionSetting
{
    FunctionType type;
    QList<FunctionFlag> flags = {};
};

// Sets the function's type and ticks exactly the option boxes of `setting`.
inline void setFunction(PanelConfig &config, int function, const FunctionSetting &setting)
{
    config.setFunctionType(function, setting.type);
    for (FunctionFlag flag : kFunctionFlags)
        config.setFunctionFlag(function, flag, setting.flags.contains(flag));
}
