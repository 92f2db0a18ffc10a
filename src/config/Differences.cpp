#include "config/Differences.h"

#include "config/ConfigItems.h"

namespace {

QList<ConfigItem> withoutCardItems(QList<ConfigItem> items)
{
    items.removeIf([](const ConfigItem &item) { return item.onCard; });
    return items;
}

} // namespace

QList<Difference> differences(const PanelConfig &first, const PanelConfig &second)
{
    QList<ConfigItem> a = configItems(first);
    QList<ConfigItem> b = configItems(second);
    if (first.cardPresent() != second.cardPresent()) {
        a = withoutCardItems(a);
        b = withoutCardItems(b);
    }
    // Both lists now name the same items in the same order.
    QList<Difference> out;
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i].value != b[i].value)
            out.append({a[i].name, a[i].value, b[i].value, a[i].key, a[i].data, b[i].data});
    return out;
}
