#include "sheet/ConfigSheet.h"

#include "config/PanelConfig.h"

#include <QFileInfo>
#include <QStringList>

namespace ConfigSheet {

namespace {

const QString kProgram = QStringLiteral("TORVA-PC");
const QString kVersion = QStringLiteral("V3.0");

QString esc(const QString &text) { return text.toHtmlEscaped(); }

QString loopName(int loop) { return QStringLiteral("Boucle %1").arg(loop + 1); }

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
    out += QStringLiteral("<h1>%1 %2 — Fiche de configuration de l'ECS</h1>").arg(kProgram, kVersion);
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
    QString out = section((c.config.UpCardPresent == 1) ? QStringLiteral("MODES ALARME ET COMMANDES UGA/CMSI")
                                                        : QStringLiteral("MODES ALARME"));
    out += tableStart() + QStringLiteral("<tr>") + headingCell(QStringLiteral("Boucle")) +
           headingCell(QStringLiteral("Mode alarme"));
    if ((c.config.UpCardPresent == 1))
        out += headingCell(QStringLiteral("Commande UGA")) +
               headingCell(QStringLiteral("Fonctions CMSI commandées"));
    out += QStringLiteral("</tr>");
    for (int i = 0; i < kLoopCount; ++i) {
        out += QStringLiteral("<tr>") + cell(loopName(i)) + cell(alarmMode(c.config.AlarmModes, i));
        if ((c.config.UpCardPresent == 1))
            out +=
                cell(ugaCommand(c.config.CommandMatrix[i])) + cell(cmsiFunctions(c.config.CommandMatrix[i]));
        out += QStringLiteral("</tr>");
    }
    out += QStringLiteral("</table>");
    if (!(c.config.UpCardPresent == 1))
        out += QStringLiteral("<p>Commandes UGA/CMSI : sans objet, carte UP absente.</p>");
    return out;
}

QString relays(const SheetContent &c)
{
    QString out = section(QStringLiteral("RELAIS PROGRAMMABLES")) + tableStart();
    for (int r = 0; r < kRelayCount; ++r)
        out += QStringLiteral("<tr>") +
               cell(QStringLiteral("RELAIS %1").arg(r + 1), QStringLiteral(" width=\"18%\"")) +
               cell(relayLoops(c.config.RelayMatrix[r])) + QStringLiteral("</tr>");
    return out + QStringLiteral("</table>");
}

QString card(const SheetContent &c)
{
    QString out = section(QStringLiteral("CARTE UP (UGA/CMSI)"));
    if (!(c.config.UpCardPresent == 1)) {
        out += line(QStringLiteral("Carte UP"), QStringLiteral("ABSENTE"));
        out += QStringLiteral("<p>Fonctions CMSI, commandes UGA, alimentation des diffuseurs et tempo "
                              "UGA : sans objet, carte UP absente.</p>");
        return out;
    }
    out += line(QStringLiteral("Carte UP"), QStringLiteral("PRESENTE"));
    out += tableStart() + QStringLiteral("<tr>") + headingCell(QStringLiteral("Fonction CMSI")) +
           headingCell(QStringLiteral("Type")) + headingCell(QStringLiteral("Options")) +
           QStringLiteral("</tr>");
    for (int k = 0; k < kFunctionCount; ++k)
        out += QStringLiteral("<tr>") +
               cell(QStringLiteral("FONCTION %1").arg(k + 1), QStringLiteral(" width=\"18%\"")) +
               cell(functionType(c.config.FunctionTypes[k])) +
               cell(functionOptions(c.config.FunctionTypes[k])) + QStringLiteral("</tr>");
    out += QStringLiteral("</table>");
    out += line(QStringLiteral("Alimentation Diffuseurs"),
                c.config.AesChoice == 0 ? QStringLiteral("AES Interne") : QStringLiteral("AES Externe"));
    out += QStringLiteral("<p>%1</p>").arg(esc(ugaTempo(c.config.UgaTempo)));
    return out;
}

QString codeText(const QString &code)
{
    // A box left short after its warning would be refused by the send; the sheet says so.
    return code.size() == 4 ? code : code + QStringLiteral(" (incomplet)");
}

QString misc(const SheetContent &c)
{
    QString out = section(QStringLiteral("DIVERS"));
    out += line(QStringLiteral("SORTIE 12V"),
                c.config.Output12vMode == 0 ? QStringLiteral("Permanente") : QStringLiteral("Réarmable"));
    out += line(QStringLiteral("CODE NIVEAU 2"), codeText(c.config.AccessCodes[0]));
    out += line(QStringLiteral("CODE NIVEAU 3"), codeText(c.config.AccessCodes[1]));
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

QString alarmMode(const std::array<std::uint8_t, 8> &modes, int loop)
{
    switch (modes[loop]) {
    case 0:
        return QStringLiteral("Mode Alarme simple");
    case 1:
        return QStringLiteral("Discrimination");
    default:
        // Loops pair as (1, 2), (3, 4), (5, 6), (7, 8).
        return QStringLiteral("Double détection avec la boucle %1").arg((loop ^ 1) + 1);
    }
}

QString ugaCommand(std::uint8_t command)
{
    // Read as the editor shows it: bit 0 wins over bit 1.
    if (command & 0x01)
        return QStringLiteral("Immédiate");
    if (command & 0x02)
        return QStringLiteral("Temporisée");
    return QStringLiteral("Aucune");
}

QString cmsiFunctions(std::uint8_t command)
{
    QStringList functions;
    for (int f = 0; f < kFunctionCount; ++f)
        if (command & (0x04 << f))
            functions << QString::number(f + 1);
    return functions.isEmpty() ? QStringLiteral("Aucune") : functions.join(QStringLiteral(", "));
}

QString relayLoops(std::uint8_t relayMask)
{
    QStringList loops;
    for (int j = 0; j < kLoopCount; ++j)
        if (relayMask & (1u << j))
            loops << QStringLiteral("Alarme Boucle %1").arg(j + 1);
    return loops.isEmpty() ? QStringLiteral("Aucune boucle") : loops.join(QStringLiteral(", "));
}

QString functionType(std::uint8_t function)
{
    switch (function & FunctionFlag::TypeMask) {
    case FunctionType::Nul:
        return QStringLiteral("Non utilisée");
    case FunctionType::RSC:
        return QStringLiteral("Rupture Sans Contrôle");
    case FunctionType::RAC:
        return QStringLiteral("Rupture Avec Contrôle");
    case FunctionType::ESC:
        return QStringLiteral("Emission Sans Contrôle");
    case FunctionType::EAC:
        return QStringLiteral("Emission Avec Contrôle");
    case FunctionType::RSC_UGA:
        return QStringLiteral("Rupture Sans Contrôle Associé à l'UGA");
    default:
        return QStringLiteral("Type inconnu (%1)").arg(function & FunctionFlag::TypeMask);
    }
}

QString functionOptions(std::uint8_t function)
{
    QStringList options;
    if (function & FunctionFlag::AuxContact)
        options << QStringLiteral("Mise Hors Service avec le Contact Auxiliaire");
    if (function & FunctionFlag::Delayed)
        options << QStringLiteral("Temporisé 20s");
    if (function & FunctionFlag::Grouped)
        options << QStringLiteral("Commande regroupée sur Fonction 1");
    if (function & FunctionFlag::ActiveButton)
        options << QStringLiteral("Bouton Actif");
    return options.isEmpty() ? QStringLiteral("Aucune option") : options.join(QStringLiteral(", "));
}

QString ugaTempo(const std::optional<std::uint8_t> &minutes)
{
    if (!minutes)
        return QStringLiteral("Tempo UGA : non lue (elle est lue sur le Dip-Switch de l'ECS à la réception)");
    return QStringLiteral("Tempo UGA = %1 min.").arg(*minutes);
}

QString html(const SheetContent &content)
{
    QString out = QStringLiteral("<html><head><style>"
                                 "h1 { font-size: 13pt; margin-bottom: 2px; }"
                                 "h3 { font-size: 10pt; margin-top: 8px; margin-bottom: 3px; }"
                                 "p { margin-top: 1px; margin-bottom: 1px; }"
                                 "</style></head><body>");
    out += header(content);
    out += loops(content);
    out += relays(content);
    out += card(content);
    out += misc(content);
    out += signature();
    return out + QStringLiteral("</body></html>");
}

} // namespace ConfigSheet
