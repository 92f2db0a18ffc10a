#include "config/CodesRule.h"

#include "config/Messages.h"
#include "config/PanelConfig.h"

namespace CodesRule {

Fault Check::first() const
{
    if (incomplete[0] || incomplete[1])
        return Fault::TooShort;
    return equal ? Fault::Equal : Fault::None;
}

Check check(const std::array<QString, 2> &codes)
{
    return {{!isCompleteCode(codes[0]), !isCompleteCode(codes[1])}, codes[0] == codes[1]};
}

QString message(Fault fault)
{
    switch (fault) {
    case Fault::TooShort:
        return Messages::codesTooShort();
    case Fault::Equal:
        return Messages::codesEqual();
    case Fault::None:
        break;
    }
    return {};
}

} // namespace CodesRule
