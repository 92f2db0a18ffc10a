#pragma once

#include "seams/Prompts.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <functional>

// A message box as the installer sees it: its icon, title and text.
struct Message
{
    Prompts::Icon icon;
    QString title;
    QString text;
    bool operator==(const Message &) const = default;
};
char *toString(const Message &message); // for QCOMPARE's report

// The program's messages, each with its icon.
namespace Msg {
inline Message warning(const char *title, const char *text)
{
    return {Prompts::Icon::Warning, QString::fromUtf8(title), QString::fromUtf8(text)};
}
inline Message timeOut()
{
    return {Prompts::Icon::Information, QStringLiteral("TIME OUT"),
            QStringLiteral("Pas de réponse de l'ECS !")};
}
inline Message transferError()
{
    return warning("ERREUR COM", "Erreur de transfert, Configuration Invalide !");
}
inline Message manualMode()
{
    return warning("ACCES ECS", "Le mode de configuration manuelle est engagé, accès PC interdit !");
}
inline Message partialRead()
{
    return warning("CARTE UGA/CMSI",
                   "La carte UGA/CMSI semble ne pas être opérationnelle, Lecture partielle !");
}
inline Message portFailed() { return warning("ERREUR DE COM", "Port série introuvable ou déjà ouvert !"); }
inline Message incompatible() { return warning("FICHIER DONNEES", "FORMAT FICHIER INCOMPATIBLE !"); }
inline Message cannotSave() { return warning("FICHIER DONNEES", "Impossible d'enregistrer le fichier !"); }
inline Message shortCodes() { return warning("ERREUR DE SAISIE", "Les codes doivent avoir 4 lettres !"); }
inline Message equalCodes()
{
    return warning("ERREUR DE SAISIE", "Les deux codes doivent être différents !");
}
inline Message invalidSerial() { return warning("ERREUR DE SAISIE", "Numéro de série invalide !"); }
} // namespace Msg

// Records every prompt and answers from a script, so that no test ever blocks on a dialog.
class FakePrompts : public Prompts
{
public:
    struct Shown
    {
        enum class Kind { Message, Question, OpenDialog, SaveDialog } kind;
        QString text;  // message text, or the filter for a file dialog
        QString title; // title, or the default suffix for a file dialog
        Icon icon = Icon::Information;
        QString details;
        bool operator==(const Shown &) const = default;
    };

    void message(const QString &text, const QString &title, Icon icon, const QString &details = {}) override
    {
        record({Shown::Kind::Message, text, title, icon, details});
    }
    bool askYesNo(const QString &text, const QString &title, Icon icon,
                  Preferred preferred = Preferred::Yes) override
    {
        record({Shown::Kind::Question, text, title, icon, {}});
        preferredAnswers.append(preferred);
        return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
    }
    QString openFileName(const QString &filter, const QString &defaultSuffix) override
    {
        return fileDialog(Shown::Kind::OpenDialog, filter, defaultSuffix);
    }
    QString saveFileName(const QString &filter, const QString &defaultSuffix) override
    {
        return fileDialog(Shown::Kind::SaveDialog, filter, defaultSuffix);
    }
    void setBusy(bool busy) override
    {
        busyDepth += busy ? 1 : -1;
        busyCalls += busy ? 1 : 0;
    }

    // Scripted answers, taken in order; when empty a question answers No and a dialog cancels.
    QList<bool> yesNoAnswers;
    QList<Preferred> preferredAnswers; // the button Enter presses, per question asked
    QStringList fileAnswers;

    QList<Shown> shown;
    // Called as each prompt is shown, to look at the program's state at that moment.
    std::function<void(const Shown &)> onShown;
    int busyDepth = 0; // 0 when the pointer is back to normal
    int busyCalls = 0; // how many times the hourglass was set

    // The messages only (no questions or dialogs), in order.
    QList<Message> messages() const;
    void clear() { shown.clear(); }

private:
    void record(const Shown &entry)
    {
        shown.append(entry);
        if (onShown)
            onShown(entry);
    }
    QString fileDialog(Shown::Kind kind, const QString &filter, const QString &defaultSuffix)
    {
        record({kind, filter, defaultSuffix, Icon::Information, {}});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
};
Q_DECLARE_METATYPE(Message)
