#include "FakePrompts.h"

namespace {

void record(FakePrompts &prompts, FakePrompts::Shown entry)
{
    prompts.shown.append(entry);
    if (prompts.onShown)
        prompts.onShown(entry);
}

} // namespace

void FakePrompts::message(const QString &text, const QString &title, Icon icon,
                          const QString &details)
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

QStringList FakePrompts::messages() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (s.kind == Shown::Kind::Message)
            out << s.title + QLatin1Char('|') + s.text;
    return out;
}
