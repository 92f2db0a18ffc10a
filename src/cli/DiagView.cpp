#include "cli/DiagView.h"

#include "diagreads/Measurements.h"

#include <QJsonArray>

#include <cmath>

namespace {

using DiagReads::Board;

// A number as a program reads it: the same whatever the locale, to the converter's resolution.
double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QJsonValue serialJson(const SerialNumber &serial)
{
    return serial.isStored() ? QJsonValue(serial.digits(QLocale::c())) : QJsonValue(QJsonValue::Null);
}

QString versionJson(const std::array<std::uint8_t, 2> &version)
{
    return QStringLiteral("%1.%2").arg(version[0]).arg(version[1]);
}

// The measurements in amperes, the sounder lines, are read to the milliampere.
bool inAmperes(DiagRead read)
{
    for (const Measurements::Reading &reading : Measurements::kCardReadings)
        if (reading.read == read)
            return reading.kind == Measurements::Reading::Kind::SounderLine;
    return false;
}

} // namespace

QString DiagView::textOf(DiagRead read) const
{
    for (const DiagReader::Shown &s : shown)
        if (s.loop < 0 && s.read == read)
            return s.text;
    return {};
}

QString DiagView::loopText(int loop) const
{
    for (const DiagReader::Shown &s : shown)
        if (s.loop == loop)
            return s.text;
    return {};
}

QString DiagView::text() const
{
    QString out = QStringLiteral("CARTE ECS\n");
    const auto section = [&](Board board) {
        for (const DiagReads::Entry &entry : DiagReads::kEntries)
            if (entry.board == board)
                if (const QString shownText = textOf(entry.read); !shownText.isEmpty())
                    out += QStringLiteral("  ") + shownText + QLatin1Char('\n');
    };
    section(Board::Panel);
    if (cardShown) {
        out += QStringLiteral("CARTE UGA/CMSI\n");
        section(Board::Card);
    }
    out += QStringLiteral("CHARGE DES BOUCLES\n");
    for (int k = 0; k < DiagReader::kLoops; ++k)
        out += QStringLiteral("  Boucle %1 : %2\n").arg(k + 1).arg(loopText(k));
    return out;
}

QJsonObject DiagView::json() const
{
    const auto section = [&](Board board, const DiagReader::Identity &identity) {
        const DiagRead version = board == Board::Panel ? DiagRead::PanelVersion : DiagRead::CardVersion;
        const DiagRead serial = board == Board::Panel ? DiagRead::PanelSerial : DiagRead::CardSerial;
        QJsonObject object{{DiagReads::key(version), versionJson(identity.version)},
                           {DiagReads::key(serial), serialJson(identity.serial)}};
        for (const DiagReads::Entry &entry : DiagReads::kEntries)
            if (entry.board == board)
                for (const DiagReader::Value &value : cycle.values)
                    if (value.read == entry.read)
                        object.insert(DiagReads::key(entry.read),
                                      rounded(value.value, inAmperes(entry.read) ? 3 : 2));
        return object;
    };
    QJsonArray loops;
    for (int k = 0; k < DiagReader::kLoops; ++k) {
        const double load = loads[std::size_t(k)];
        loops.append(QJsonObject{{QStringLiteral("loop"), k + 1},
                                 {QStringLiteral("loadMilliamperes"), rounded(load, 2)},
                                 {QStringLiteral("fullScale"), load >= Measurements::kLoopFullScale}});
    }
    return {{QStringLiteral("panel"), section(Board::Panel, opening.panel)},
            {QStringLiteral("upCard"),
             cardShown ? QJsonValue(section(Board::Card, opening.card)) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("loops"), loops}};
}
