#pragma once

#include <QString>

// Every message box, question, file dialog and busy pointer of the program goes through this
// interface, so that tests can record each text, title and icon and answer without blocking.
class Prompts
{
public:
    enum class Icon { Information, Warning, Critical };
    // The safe answer of a question: Enter, Escape and the question's close box all give it, so
    // that a reflex key never loses work nor writes to a panel.
    enum class Preferred { Yes, No };

    virtual ~Prompts() = default;

    // An OK-only message box. `details` fills the box's detailed text when not empty.
    virtual void message(const QString &text, const QString &title, Icon icon,
                         const QString &details = {}) = 0;
    // A Yes/No question; true when the answer is Yes.
    virtual bool askYesNo(const QString &text, const QString &title, Icon icon,
                          Preferred preferred = Preferred::Yes) = 0;
    // File dialogs. `filter` uses Qt's form ("Fichiers données (*.dat);;Tout type (*)");
    // `defaultSuffix` has no dot ("dat"). An empty result means the dialog was cancelled.
    virtual QString openFileName(const QString &filter, const QString &defaultSuffix) = 0;
    virtual QString saveFileName(const QString &filter, const QString &defaultSuffix) = 0;
    // The hourglass pointer. Calls nest: the pointer returns to normal after as many
    // setBusy(false) as setBusy(true).
    virtual void setBusy(bool busy) = 0;
};

// Holds the hourglass for the life of a scope, so that every path out restores the pointer.
class BusyPointer
{
public:
    explicit BusyPointer(Prompts &prompts) : m_prompts(prompts) { m_prompts.setBusy(true); }
    ~BusyPointer() { m_prompts.setBusy(false); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

private:
    Prompts &m_prompts;
};
