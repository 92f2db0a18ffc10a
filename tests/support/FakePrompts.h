#pragma once

#include "ui/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Records every prompt and answers from a script, so that no test ever blocks on a dialog.
class FakePrompts : public Prompts
{
public:
    struct Shown
    {
        enum class Kind { Message, Question, OpenDialog, SaveDialog } kind;
        QString text;    // message text, or the filter for a file dialog
        QString title;   // title, or the default suffix for a file dialog
        Icon icon = Icon::Information;
        QString details;
        bool operator==(const Shown &) const = default;
    };

    void message(const QString &text, const QString &title, Icon icon,
                 const QString &details = {}) override;
    bool askYesNo(const QString &text, const QString &title, Icon icon) override;
    QString openFileName(const QString &filter, const QString &defaultSuffix) override;
    QString saveFileName(const QString &filter, const QString &defaultSuffix) override;
    void setBusy(bool busy) override;

    // Scripted answers, taken in order; when empty a question answers No and a dialog cancels.
    QList<bool> yesNoAnswers;
    QStringList fileAnswers;

    QList<Shown> shown;
    // Called as each prompt is shown, to look at the program's state at that moment.
    std::function<void(const Shown &)> onShown;
    int busyDepth = 0;      // 0 when the pointer is back to normal
    int busyCalls = 0;      // how many times the hourglass was set

    // The messages only (no questions or dialogs), as "title|text".
    QStringList messages() const;
    void clear() { shown.clear(); }
};
