#include "config/PanelConfig.h"

bool isCompleteCode(const QString &code)
{
    if (code.size() != 4)
        return false;
    for (QChar c : code)
        if (c != u'A' && c != u'B' && c != u'C')
            return false;
    return true;
}
