#pragma once

#include "config/SerialNumber.h"
#include "diagreads/DiagRead.h"
#include "link/PanelCommand.h"
#include "transfer/Reads.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

class Link;
struct Session;

// What the diagnostic reads from the panel and its UP card, without any widget: the opening
// reads (versions, serial numbers, the card's state) and one measurement cycle (the loop loads
// and the voltages), each giving back the texts to show and how it ended. A read that fails
// stops the rest: the window closes on anything but Outcome::Read. Nothing here shows a message;
// the transaction has already told the installer when the panel did not answer.
class DiagReader
{
public:
    using Outcome = Reads::Outcome;
    static constexpr int kLoops = 8;

    // A text the diagnostic shows: a read's, or, for a loop load, that of loop `loop`, whose bar
    // stands for LoopLoads[loop].
    struct Shown
    {
        DiagRead read = DiagRead::PanelVersion; // when loop < 0
        int loop = -1;
        QString text;

        static Shown of(DiagRead read, const QString &text) { return {read, -1, text}; }
        static Shown inLoop(int loop, const QString &text) { return {DiagRead::PanelVersion, loop, text}; }
        bool operator==(const Shown &) const = default;
    };
    // Hears each accepted read as it arrives, so that the window fills as the panel answers.
    using ShowFn = std::function<void(const Shown &)>;

    // A measurement as a number in its unit (volts or amperes): what a program reads instead of
    // the text.
    struct Value
    {
        DiagRead read = DiagRead::PanelServiceVolts;
        double value = 0.0;
    };
    // A version (major, minor) and a serial number as read.
    struct Identity
    {
        std::array<std::uint8_t, 2> version{};
        SerialNumber serial;
    };

    struct Result
    {
        Outcome outcome = Outcome::Read;
        QList<Shown> shown;  // in the order read
        QList<Value> values; // the measurements among them, in the same order
    };
    struct Opening : Result
    {
        bool cardShown = false; // the card declared and operational: its frame shows
        Identity panel;
        Identity card; // when cardShown
    };

    // `cardDeclared`: the editor shows the UP card present; only then is the card read.
    DiagReader(Link &link, Session &session, bool cardDeclared);

    // Once the panel is awake: the panel's version and serial number, then, when the card is
    // declared, its state and, when it is operational, its version and serial number. A card
    // that does not answer its state or is not operational is only left out. The session keeps
    // the card's state and the panel read: its version and serial number both or neither.
    Opening readOpening(const ShowFn &show = {});
    // The eight loop loads, the panel's three voltages, then the card's five readings whenever
    // it is declared (operational or not).
    Result readCycle(const ShowFn &show = {});

    // Reads the load of loop k into LoopLoads[k]; LoopLoads[k] is unchanged unless it was read.
    Outcome ReadLoopLoad(int k);
    // The last accepted load of each loop, in mA (elements 0 to 7).
    std::array<double, 9> LoopLoads{};

    // Writes the panel's serial number after a fresh wake-up. The reply is not examined.
    void writePanelSerial(const SerialNumber &serial);

private:
    Outcome exchange(PanelCommand command, std::initializer_list<std::uint8_t> data, std::size_t expected,
                     std::vector<std::uint8_t> &reply);
    Outcome readVersion(PanelCommand command, QString &text, std::array<std::uint8_t, 2> &version);
    Outcome readSerial(PanelCommand command, QString &text, SerialNumber &serial);
    Outcome readRaw(PanelCommand command, std::initializer_list<std::uint8_t> data, int &raw);
    Outcome readOpeningInto(Opening &opening, const ShowFn &show);

    Link &m_link;
    Session &m_session;
    const bool m_cardDeclared;
};
