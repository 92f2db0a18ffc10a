#include "sheet/ConfigSheet.h"

#include "config/ItemWords.h"
#include "config/PanelConfig.h"
#include "seams/Version.h"

#include <QFileInfo>
#include <QStringList>

namespace ConfigSheet {

using namespace ItemWords;

namespace {

const QString kProgram = QStringLiteral("TORVA-PC");

QString esc(const QString &text) { return text.toHtmlEscaped(); }

QString cell(const QString &text, const QString &attributes = {})
{
    return QStringLiteral("<td%1>%2</td>").arg(attributes, esc(text));
}

QString headingCell(const QString &text)
{
    return QStringLiteral("<th align=\"left\" bgcolor=\"#e6e6e6\">%1</th>").arg(esc(text));
}

QString tableStart()
{
    return QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
                          "style=\"border-collapse: collapse; border-color: #808080;\">");
}

QString section(const QString &title) { return QStringLiteral("<h3>%1</h3>").arg(esc(title)); }

// One "caption : value" line, the caption in bold.
QString line(const QString &caption, const QString &value)
{
    return QStringLiteral("<p><b>%1 :</b> %2</p>").arg(esc(caption), esc(value));
}

QString header(const SheetContent &c)
{
    QString out;
    out += QStringLiteral("<h1>%1 %2 — Fiche de configuration de l'ECS</h1>").arg(kProgram, Version::label());
    out += QStringLiteral("<p>Configurateur pour TORVA-UP — établie le %1</p>")
               .arg(esc(c.madeAt.toString(QStringLiteral("dd/MM/yyyy 'à' HH:mm"))));
    // The name alone: a full path tells the site nothing and could run off the page.
    out += line(QStringLiteral("Fichier de données"),
                c.dataFileName ? QFileInfo(*c.dataFileName).fileName()
                               : QStringLiteral("aucun (configuration ni ouverte ni enregistrée)"));
    if (c.panelVersion && c.panelSerial)
        out += line(QStringLiteral("ECS"), *c.panelVersion + QStringLiteral(" — ") + *c.panelSerial);
    else
        out += line(QStringLiteral("ECS"),
                    QStringLiteral("version et numéro de série non lus (Fenêtre Diagnostic non ouverte)"));
    return out;
}

QString loops(const SheetContent &c)
{
    QString out = section(c.config.cardPresent() ? groupTitle(Group::AlarmModes) + QStringLiteral(" ET ") +
                                                       groupTitle(Group::Commands)
                                                 : groupTitle(Group::AlarmModes));
    out += tableStart() + QStringLiteral("<tr>") + headingCell(QStringLiteral("Boucle")) +
           headingCell(QStringLiteral("Mode alarme"));
    if (c.config.cardPresent())
        out += headingCell(QStringLiteral("Commande UGA")) +
               headingCell(QStringLiteral("Fonctions CMSI commandées"));
    out += QStringLiteral("</tr>");
    for (int i = 0; i < kLoopCount; ++i) {
        out += QStringLiteral("<tr>") + cell(loopName(i)) + cell(alarmMode(c.config.alarmMode(i), i));
        if (c.config.cardPresent())
            out += cell(ugaCommand(c.config.ugaCommand(i))) + cell(cmsiFunctions(c.config, i));
        out += QStringLiteral("</tr>");
    }
    out += QStringLiteral("</table>");
    if (!c.config.cardPresent())
        out += QStringLiteral("<p>Commandes UGA/CMSI : sans objet, carte UP absente.</p>");
    return out;
}

QString relays(const SheetContent &c)
{
    QString out = section(groupTitle(Group::Relays)) + tableStart();
    for (int r = 0; r < kRelayCount; ++r)
        out += QStringLiteral("<tr>") + cell(relayName(r), QStringLiteral(" width=\"18%\"")) +
               cell(relayLoops(c.config, r)) + QStringLiteral("</tr>");
    return out + QStringLiteral("</table>");
}

QString card(const SheetContent &c)
{
    QString out = section(groupTitle(Group::UpCard));
    if (!c.config.cardPresent()) {
        out += line(QStringLiteral("Carte UP"), cardPresence(false));
        out += QStringLiteral("<p>Fonctions CMSI, commandes UGA, alimentation des diffuseurs et tempo "
                              "UGA : sans objet, carte UP absente.</p>");
        return out;
    }
    out += line(QStringLiteral("Carte UP"), cardPresence(true));
    out += tableStart() + QStringLiteral("<tr>") + headingCell(QStringLiteral("Fonction CMSI")) +
           headingCell(QStringLiteral("Type")) + headingCell(QStringLiteral("Options")) +
           QStringLiteral("</tr>");
    for (int k = 0; k < kFunctionCount; ++k)
        out += QStringLiteral("<tr>") + cell(functionName(k), QStringLiteral(" width=\"18%\"")) +
               cell(functionType(c.config.functionType(k))) + cell(functionOptions(c.config, k)) +
               QStringLiteral("</tr>");
    out += QStringLiteral("</table>");
    out += line(QStringLiteral("Alimentation Diffuseurs"), aesChoice(c.config.aes()));
    out += QStringLiteral("<p>%1</p>").arg(esc(ugaTempo(c.config.UgaTempo)));
    return out;
}

QString misc(const SheetContent &c)
{
    QString out = section(groupTitle(Group::Misc));
    out += line(groupTitle(Group::Output12v), output12v(c.config.output12v()));
    for (int box = 0; box < 2; ++box)
        out += line(codeName(box),
                    c.codesHidden ? QStringLiteral("****") : accessCode(c.config.AccessCodes[box]));
    return out;
}

QString signature()
{
    QString out = section(QStringLiteral("VISA DE L'INSTALLATEUR"));
    out += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
                          "style=\"border-collapse: collapse;\"><tr>");
    for (const QString &caption :
         {QStringLiteral("Nom de l'installateur :"), QStringLiteral("Date :"), QStringLiteral("Signature :")})
        // Blank lines below each caption leave room to write by hand.
        out += QStringLiteral("<td width=\"33%\" valign=\"top\">%1<br><br><br><br></td>").arg(esc(caption));
    return out + QStringLiteral("</tr></table>");
}

} // namespace

QString stylesheet()
{
    return QStringLiteral("h1 { font-size: 13pt; margin-bottom: 2px; }"
                          "h3 { font-size: 10pt; margin-top: 8px; margin-bottom: 3px; }"
                          "p { margin-top: 1px; margin-bottom: 1px; }");
}

QString body(const SheetContent &content)
{
    return loops(content) + relays(content) + card(content) + misc(content);
}

QString html(const SheetContent &content)
{
    QString out =
        QStringLiteral("<html><head><style>") + stylesheet() + QStringLiteral("</style></head><body>");
    out += header(content);
    out += body(content);
    out += signature();
    return out + QStringLiteral("</body></html>");
}

} // namespace ConfigSheet
