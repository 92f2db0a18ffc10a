#include "FakePrompts.h"

#include <QByteArray>

namespace {

void record(FakePrompts &prompts, FakePrompts::Shown entry)
{
    prompts.shown.append(entry);
    if (prompts.onShown)
        prompts.onShown(entry);
}

} // namespace

void FakePrompts::message(const QString &text, const QString &title, Icon icon, const QString &details)
{
    record(*this, {Shown::Kind::Message, text, title, icon, details});
}

bool FakePrompts::askYesNo(const QString &text, const QString &title, Icon icon)
{
    record(*this, {Shown::Kind::Question, text, title, icon, {}});
    return yesNoAnswers.isEmpty() ? false : yesNoAnswers.takeFirst();
}

QString FakePrompts::openFileName(const QString &filter, const QString &defaultSuffix)
{
    record(*this, {Shown::Kind::OpenDialog, filter, defaultSuffix, Icon::Information, {}});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString FakePrompts::saveFileName(const QString &filter, const QString &defaultSuffix)
{
    record(*this, {Shown::Kind::SaveDialog, filter, defaultSuffix, Icon::Information, {}});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

void FakePrompts::setBusy(bool busy)
{
    if (busy) {
        ++busyDepth;
        ++busyCalls;
    } else {
        --busyDepth;
    }
}

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
