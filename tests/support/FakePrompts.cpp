#include "FakePrompts.h"

#include <QByteArray>

QList<Message> FakePrompts::messages() const
{
    QList<Message> out;
    for (const Shown &s : shown)
        if (s.kind == Shown::Kind::Message)
            out << Message{s.icon, s.title, s.text};
    return out;
}

char *toString(const Message &message)
{
    static const char *const icons[] = {"information", "warning", "critical"};
    const QString text = QStringLiteral("%1 %2 | %3")
                             .arg(QLatin1String(icons[int(message.icon)]), message.title, message.text);
    return qstrdup(text.toUtf8().constData());
}
