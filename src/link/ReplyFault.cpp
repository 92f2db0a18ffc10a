#include "link/ReplyFault.h"

namespace {

// Each fault of a reply byte: the part of the reply it is in, and the verdict on the reply.
struct FaultWords
{
    ReplyCheck::Fault fault;
    const char16_t *part;
    const char16_t *verdict;
    bool namesByte; // the verdict says which byte
};

constexpr FaultWords kFaultWords[] = {
    {ReplyCheck::Fault::StartByte, u"octet de début", u"mauvais octet de début", true},
    {ReplyCheck::Fault::Length, u"longueur", u"mauvaise longueur", true},
    {ReplyCheck::Fault::Echo, u"écho de la commande", u"mauvais écho", true},
    {ReplyCheck::Fault::Check, u"somme de contrôle", u"mauvaise somme de contrôle", false},
};

const FaultWords *wordsOf(ReplyCheck::Fault fault)
{
    for (const FaultWords &words : kFaultWords)
        if (words.fault == fault)
            return &words;
    return nullptr;
}

} // namespace

namespace ReplyFault {

QString part(ReplyCheck::Fault fault)
{
    const FaultWords *words = wordsOf(fault);
    return words ? QString::fromUtf16(words->part) : QString();
}

QString verdict(ReplyCheck::Fault fault, int position)
{
    const FaultWords *words = wordsOf(fault);
    if (!words)
        return QStringLiteral("mauvais octet");
    const QString text = QString::fromUtf16(words->verdict);
    return words->namesByte ? QStringLiteral("%1, octet %2").arg(text).arg(position + 1) : text;
}

QString failure(LinkFailure failure)
{
    switch (failure) {
    case LinkFailure::None:
        return QStringLiteral("acceptée");
    case LinkFailure::NoReply:
        return QStringLiteral("pas de réponse");
    case LinkFailure::BadByte:
        return verdict(ReplyCheck::Fault::None, -1);
    case LinkFailure::PortLost:
        return QStringLiteral("port perdu");
    case LinkFailure::Aborted:
        return QStringLiteral("abandon");
    case LinkFailure::Busy:
        break;
    }
    return QStringLiteral("refusée");
}

} // namespace ReplyFault
