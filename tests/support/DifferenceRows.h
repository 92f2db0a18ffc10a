#pragma once

// Lists of differences as table columns, printed one row a line when a comparison fails.
#include "config/Differences.h"

#include <QStringList>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(QList<Difference>)

namespace QTest {
template <>
inline char *toString(const QList<Difference> &rows)
{
    QStringList lines;
    for (const Difference &d : rows)
        lines << QStringList{d.item,
                             d.first,
                             d.second,
                             d.key,
                             d.firstData.toVariant().toString(),
                             d.secondData.toVariant().toString()}
                     .join(QStringLiteral(" | "));
    return qstrdup(lines.join(QStringLiteral("\n")).toUtf8().constData());
}
} // namespace QTest

// A `_data()` row: a change made to one side, and the rows it must give.
template <typename Side>
void differenceRow(const char *name, std::function<void(Side &)> change, QList<Difference> expected)
{
    QTest::newRow(name) << change << expected;
}
