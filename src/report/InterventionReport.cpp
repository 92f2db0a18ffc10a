#include "report/InterventionReport.h"

#include "files/DataFile.h"
#include "journal/Intervenant.h"
#include "sheet/ConfigSheet.h"
#include "sheet/SheetContent.h"
#include "sheet/SheetOutput.h"

#include <QRegularExpression>
#include <QStringList>

#include <set>

namespace InterventionReport {

namespace {

const QString kTitle = QStringLiteral("RAPPORT D'INTERVENTION - ECS TORVA");
const QString kHidden = QStringLiteral("****");
const QString kChanged = QStringLiteral("modifié");

QString esc(const QString &text) { return text.toHtmlEscaped(); }

QString section(const QString &title) { return QStringLiteral("<h3>%1</h3>").arg(esc(title)); }

// A part, which starts with its section's heading, moved to the top of the next page.
QString onNewPage(const QString &part)
{
    static const QString heading = QStringLiteral("<h3>");
    Q_ASSERT(part.startsWith(heading));
    return QStringLiteral("<h3 style=\"page-break-before: always;\">") + part.mid(heading.size());
}

QString paragraph(const QString &text) { return QStringLiteral("<p>%1</p>").arg(esc(text)); }

QString line(const QString &caption, const QString &value)
{
    return QStringLiteral("<p><b>%1 :</b> %2</p>").arg(esc(caption), esc(value));
}

QString tableStart(int padding = 2)
{
    return QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"%1\" "
                          "style=\"border-collapse: collapse; border-color: #808080;\">")
        .arg(padding);
}

QString cell(const QString &text, const QString &attributes = {})
{
    return QStringLiteral("<td%1>%2</td>").arg(attributes, esc(text));
}

// A cell of the changes table, a point smaller so that 20 changes leave the page's boxes room.
QString smallCell(const QString &text)
{
    return QStringLiteral("<td><span style=\"font-size: 8pt;\">%1</span></td>").arg(esc(text));
}

QString captionCell(const QString &caption, const QString &value, const QString &width)
{
    return QStringLiteral("<td width=\"%1\"><b>%2 :</b> %3</td>").arg(width, esc(caption), esc(value));
}

QString headingCell(const QString &text, const QString &width = {})
{
    const QString size = width.isEmpty() ? QString() : QStringLiteral(" width=\"%1\"").arg(width);
    return QStringLiteral("<th align=\"left\" bgcolor=\"#e6e6e6\"%1>%2</th>").arg(size, esc(text));
}

bool isSend(const JournalEntry &e) { return e.operation == JournalEntry::Operation::Send; }
bool isDone(const JournalEntry &e) { return e.outcome == QStringLiteral("done"); }

// A difference that concerns an access code: its values are never printed.
bool isCode(const Difference &d)
{
    return d.key.startsWith(QStringLiteral("code.")) || d.item.startsWith(QStringLiteral("Code niveau"));
}

QString offsetText(int seconds)
{
    const int minutes = qAbs(seconds) / 60;
    return QStringLiteral("UTC%1%2:%3")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString dateText(const QDateTime &time)
{
    return QStringLiteral("%1 (%2)").arg(time.toString(QStringLiteral("dd/MM/yyyy 'à' HH:mm")),
                                         offsetText(time.offsetFromUtc()));
}

std::optional<PanelConfig> parsed(const std::optional<QByteArray> &bytes)
{
    if (!bytes)
        return std::nullopt;
    return DataFile::parse(*bytes, DataFile::Version::V2).content;
}

// The configuration the panel holds after the intervention, when it is known, and otherwise why
// not.
struct PanelNow
{
    std::optional<PanelConfig> config;
    QString unknown;
};

PanelNow panelNow(const JournalEntry &e)
{
    if (!isSend(e)) {
        if (isDone(e) && e.before)
            return {parsed(e.before), {}};
        return {std::nullopt, QStringLiteral("La configuration de l'ECS n'a pas été lue.")};
    }
    if (isDone(e) && e.sent)
        return {parsed(e.sent), {}};
    if (!e.sent) { // nothing was written: the panel still holds what it held
        if (e.before)
            return {parsed(e.before), {}};
        return {std::nullopt,
                QStringLiteral("Rien n'a été écrit dans l'ECS : il garde la configuration qu'il "
                               "avait (non lue).")};
    }
    return {std::nullopt, QStringLiteral("L'envoi n'ayant pas abouti, la configuration de l'ECS n'est pas "
                                         "connue avec certitude : la recevoir à nouveau et la vérifier avant "
                                         "de remettre le système en service.")};
}

QString header(const JournalEntry &e)
{
    QString out = QStringLiteral("<h1>%1</h1>").arg(esc(kTitle));
    out += tableStart(3);
    out += QStringLiteral("<tr>") + captionCell(QStringLiteral("Site"), Intervenant::shown(e.site), "50%") +
           captionCell(QStringLiteral("Date et heure"), dateText(e.time), "50%") + QStringLiteral("</tr>");
    out += QStringLiteral("<tr>") +
           captionCell(QStringLiteral("Entreprise"), Intervenant::shown(e.company), "50%") +
           captionCell(QStringLiteral("Intervenant"), Intervenant::shown(e.technician), "50%") +
           QStringLiteral("</tr>");
    out += QStringLiteral("<tr>") +
           captionCell(QStringLiteral("Programme"),
                       (e.program + QLatin1Char(' ') + e.programVersion).trimmed(), "50%") +
           captionCell(QStringLiteral("Compte"), Intervenant::shown(e.user), "50%") + QStringLiteral("</tr>");
    return out + QStringLiteral("</table>");
}

QString serialText(const std::optional<QString> &serial)
{
    return serial ? *serial : QStringLiteral("non enregistré");
}

QString panel(const JournalEntry &e)
{
    const PanelIdentity &id = e.panel;
    QString out = section(QStringLiteral("ÉQUIPEMENT"));
    out += tableStart() + QStringLiteral("<tr>") + headingCell(QString(), "22%") +
           headingCell(QStringLiteral("N° de série"), "39%") +
           headingCell(QStringLiteral("Version du programme")) + QStringLiteral("</tr>");
    out += QStringLiteral("<tr>") +
           cell(id.emulated ? QStringLiteral("ECS simulée") : QStringLiteral("ECS")) +
           cell(serialText(id.serialNumber)) + cell(id.version) + QStringLiteral("</tr>");
    out += QStringLiteral("<tr>") + cell(QStringLiteral("Carte UP"));
    if (id.cardRead)
        out += cell(serialText(id.cardSerialNumber)) + cell(id.cardVersion);
    else
        out += QStringLiteral("<td colspan=\"2\">%1</td>").arg(esc(QStringLiteral("absente")));
    return out + QStringLiteral("</tr></table>");
}

QString outcomeText(const JournalEntry &e)
{
    if (isDone(e))
        return isSend(e) ? QStringLiteral("Configuration envoyée et vérifiée élément par élément")
                         : QStringLiteral("Configuration reçue de l'ECS");
    return e.message.isEmpty() ? e.outcome : e.message;
}

QString operation(const JournalEntry &e, const PanelNow &now)
{
    QString out = section(QStringLiteral("OPÉRATION"));
    QString what = isSend(e) ? QStringLiteral("Envoi de la configuration à l'ECS")
                             : QStringLiteral("Réception de la configuration de l'ECS");
    if (!e.port.isEmpty())
        what += QStringLiteral(" (port %1)").arg(e.port);
    out += line(QStringLiteral("Opération"), what);
    out += line(QStringLiteral("Résultat"), outcomeText(e));
    if (e.dataFile)
        out += line(QStringLiteral("Fichier de données"), *e.dataFile);
    if (!now.config)
        out += QStringLiteral("<p><b>%1</b></p>").arg(esc(now.unknown));
    return out;
}

QString changes(const JournalEntry &e)
{
    QString out = section(QStringLiteral("MODIFICATIONS"));
    if (!isSend(e))
        return out +
               paragraph(QStringLiteral("Aucune modification : la configuration a été lue, rien n'a été "
                                        "écrit dans l'ECS."));
    if (!e.sent)
        return out + paragraph(QStringLiteral("Aucune modification : rien n'a été écrit dans l'ECS."));
    if (!e.before)
        return out +
               paragraph(QStringLiteral("Modifications inconnues : la configuration de l'ECS n'a pas été "
                                        "lue avant l'envoi."));
    if (e.differences.isEmpty())
        return out + paragraph(QStringLiteral("Aucune modification : la configuration envoyée est celle que "
                                              "l'ECS avait déjà."));
    if (!isDone(e))
        out += paragraph(QStringLiteral("L'envoi n'a pas abouti : l'ECS peut n'avoir reçu qu'une partie des "
                                        "modifications suivantes."));
    out += tableStart(1) + QStringLiteral("<tr>") + headingCell(QStringLiteral("Élément"), "34%") +
           headingCell(QStringLiteral("Avant"), "30%") + headingCell(QStringLiteral("Après"), "36%") +
           QStringLiteral("</tr>");
    for (const Difference &d : e.differences) {
        const bool code = isCode(d);
        out += QStringLiteral("<tr>") + smallCell(d.item) + smallCell(code ? kHidden : d.first) +
               smallCell(code ? kChanged : d.second) + QStringLiteral("</tr>");
    }
    return out + QStringLiteral("</table>");
}

QString numbers(const std::set<int> &set)
{
    QStringList list;
    for (int n : set)
        list << QString::number(n);
    return list.join(QStringLiteral(", "));
}

// The loops, relays and CMSI functions the changes touch, and any other item by its name.
QString tests(const JournalEntry &e)
{
    QString out = section(QStringLiteral("Essais à réaliser avant la remise en service"));
    if (!isSend(e) || !e.sent || e.differences.isEmpty())
        return out +
               paragraph(QStringLiteral("Aucune modification : pas d'essai propre à cette intervention."));
    static const QRegularExpression loopKey(QStringLiteral("^loop(\\d+)\\.(?:cmsiFunction(\\d+))?"));
    static const QRegularExpression relayKey(QStringLiteral("^relay(\\d+)\\."));
    static const QRegularExpression functionKey(QStringLiteral("^function(\\d+)\\."));
    std::set<int> loops, relays, functions;
    QStringList others;
    for (const Difference &d : e.differences) {
        if (const auto m = loopKey.match(d.key); m.hasMatch()) {
            loops.insert(m.captured(1).toInt());
            if (m.hasCaptured(2))
                functions.insert(m.captured(2).toInt());
        } else if (const auto r = relayKey.match(d.key); r.hasMatch()) {
            relays.insert(r.captured(1).toInt());
        } else if (const auto f = functionKey.match(d.key); f.hasMatch()) {
            functions.insert(f.captured(1).toInt());
        } else {
            const QString name = isCode(d) ? QStringLiteral("Codes d'accès") : d.item;
            if (!others.contains(name))
                others << name;
        }
    }
    out += paragraph(QStringLiteral("Essayer sur site, avant de rendre le système, les fonctions que les "
                                    "modifications concernent :"));
    out += QStringLiteral("<ul style=\"margin-top: 1px; margin-bottom: 1px;\">");
    const auto item = [&out](const QString &caption, const QString &value) {
        out += QStringLiteral("<li><b>%1 :</b> %2</li>").arg(esc(caption), esc(value));
    };
    if (!loops.empty())
        item(QStringLiteral("Boucles"), numbers(loops));
    if (!relays.empty())
        item(QStringLiteral("Relais"), numbers(relays));
    if (!functions.empty())
        item(QStringLiteral("Fonctions CMSI"), numbers(functions));
    if (!others.isEmpty())
        item(QStringLiteral("Autres"), others.join(QStringLiteral(", ")));
    return out + QStringLiteral("</ul>");
}

QString observationsBox(const QString &observations)
{
    QString out = section(QStringLiteral("OBSERVATIONS"));
    QString text = esc(observations.trimmed());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    if (text.isEmpty())
        text = QStringLiteral("<br><br><br>"); // room to write by hand
    return out + tableStart(4) + QStringLiteral("<tr><td>%1</td></tr></table>").arg(text);
}

QString hashText(const std::optional<QByteArray> &bytes, const QString &none)
{
    return bytes ? QStringLiteral("<tt>%1</tt>").arg(JournalEntry::sha256(bytes)) : esc(none);
}

// The entry's name and the hashes of its configurations' files, to match a printed page with the
// journal and the data files.
QString trace(const JournalEntry &e)
{
    QString out = section(QStringLiteral("RÉFÉRENCES DU JOURNAL"));
    out += tableStart(1);
    const auto row = [&out](const QString &caption, const QString &value) {
        out +=
            QStringLiteral("<tr><td width=\"36%\"><b>%1</b></td><td>%2</td></tr>").arg(esc(caption), value);
    };
    row(QStringLiteral("Entrée"), esc(e.id + QStringLiteral(" (") + e.panelId + QLatin1Char(')')));
    if (isSend(e)) {
        row(QStringLiteral("Configuration envoyée (SHA-256)"),
            hashText(e.sent, QStringLiteral("aucune, rien n'a été écrit")));
        row(QStringLiteral("Configuration lue avant (SHA-256)"),
            hashText(e.before, QStringLiteral("aucune, non lue")));
    } else {
        row(QStringLiteral("Configuration lue (SHA-256)"),
            hashText(e.before, QStringLiteral("aucune, non lue")));
    }
    return out + QStringLiteral("</table>");
}

QString signatures()
{
    QString out = section(QStringLiteral("SIGNATURES"));
    out += tableStart(4) + QStringLiteral("<tr>");
    for (const QString &who :
         {QStringLiteral("L'intervenant"), QStringLiteral("Le chef d'établissement ou son représentant")})
        out += QStringLiteral("<td width=\"50%\" valign=\"top\"><b>%1</b><br>Nom :<br>Date et signature :"
                              "<br><br><br></td>")
                   .arg(esc(who));
    return out + QStringLiteral("</tr></table>");
}

// The configuration sheet's content, on the pages that follow, its codes hidden.
QString configuration(const JournalEntry &e, const PanelConfig &config)
{
    SheetContent content;
    content.config = config;
    content.config.AccessCodes = {QString(), QString()}; // never in the document, not even hidden
    content.codesHidden = true;
    content.madeAt = e.time;
    QString out = QStringLiteral("<p style=\"page-break-before: always; margin-bottom: 4px;\">"
                                 "<span style=\"font-size: 12pt; font-weight: bold;\">%1</span></p>")
                      .arg(esc(QStringLiteral("CONFIGURATION DE L'ECS APRÈS L'INTERVENTION")));
    out += line(QStringLiteral("Entrée du journal"), e.id);
    out += line(
        QStringLiteral("ECS"),
        QStringLiteral("N° de série %1, version %2").arg(serialText(e.panel.serialNumber), e.panel.version));
    return out + ConfigSheet::body(content);
}

} // namespace

bool reportable(const JournalEntry &entry, QString *why)
{
    if (!entry.damaged)
        return true;
    if (why)
        *why = QStringLiteral("entrée endommagée (%1)").arg(entry.damage);
    return false;
}

QString html(const JournalEntry &entry, const QString &observations)
{
    const PanelNow now = panelNow(entry);
    QString out = QStringLiteral("<html><head><style>") + ConfigSheet::stylesheet() +
                  QStringLiteral("tt { font-family: 'DejaVu Sans Mono'; font-size: 7.5pt; }"
                                 "</style></head><body>") +
                  header(entry);
    const QString end = QStringLiteral("</body></html>");
    // The changes flow from page to page; every other part is a box or a short list that reads
    // whole: one that would straddle a page's end starts the next page instead.
    const std::initializer_list<std::pair<QString, bool>> parts{
        {panel(entry), true}, {operation(entry, now), true},         {changes(entry), false},
        {tests(entry), true}, {observationsBox(observations), true}, {trace(entry), true},
        {signatures(), true}};
    for (auto [part, whole] : parts) {
        if (whole && SheetOutput::pageCount(out + part + end) > SheetOutput::pageCount(out + end))
            part = onNewPage(part);
        out += part;
    }
    if (now.config)
        out += configuration(entry, *now.config);
    return out + end;
}

void setUpPage(QPagedPaintDevice &device) { SheetOutput::setUpPage(device); }

int print(QPagedPaintDevice &device, const JournalEntry &entry, const QString &observations)
{
    if (!reportable(entry))
        return 0;
    return SheetOutput::render(device, html(entry, observations));
}

bool writePdf(const JournalEntry &entry, const QString &observations, const QString &path, QString *error)
{
    if (!reportable(entry, error))
        return false;
    const SheetOutput::PdfResult result = SheetOutput::writePdf(
        path, html(entry, observations), QStringLiteral("Rapport d'intervention TORVA"));
    if (!result.ok && error)
        *error = result.reason;
    return result.ok;
}

} // namespace InterventionReport
