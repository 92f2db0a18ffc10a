#include "cli/DifferencesView.h"

#include "cli/TextTable.h"

#include <QJsonObject>
#include <QStringList>

QJsonArray differencesJson(const QList<Difference> &found)
{
    QJsonArray array;
    for (const Difference &d : found)
        array.append(QJsonObject{
            {QStringLiteral("key"), d.key},
            {QStringLiteral("label"), d.item},
            {QStringLiteral("first"),
             QJsonObject{{QStringLiteral("value"), d.firstData}, {QStringLiteral("text"), d.first}}},
            {QStringLiteral("second"),
             QJsonObject{{QStringLiteral("value"), d.secondData}, {QStringLiteral("text"), d.second}}}});
    return array;
}

QString differencesText(const QList<Difference> &found, const QString &firstName, const QString &secondName)
{
    if (found.isEmpty())
        return {};
    QList<QStringList> rows{{QStringLiteral("Élément"), firstName, secondName}};
    for (const Difference &d : found)
        rows << QStringList{d.item, d.first, d.second};
    return textTable(rows);
}
