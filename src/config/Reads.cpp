#include "config/Reads.h"

#include "link/Link.h"

#include <span>

namespace Reads {

namespace {

// One transaction whose reply must carry exactly `expected` data bytes.
bool exchange(Link &link, std::uint8_t command, std::uint8_t length, int expected)
{
    return link.transaction(command, length) && link.RxCount == expected;
}

// A read of one byte with no request data.
bool readByte(Link &link, std::uint8_t command, std::uint8_t &item)
{
    if (!exchange(link, command, 5, 1))
        return false;
    item = link.RxData[0];
    return true;
}

// A read of one byte per element, element index in the request; stops at the first failure,
// leaving the elements read so far with their new values and the others with their old ones.
template <typename Store>
bool readIndexed(Link &link, std::uint8_t command, int count, Store store)
{
    for (int i = 0; i < count; ++i) {
        link.TxData[0] = std::uint8_t(i);
        if (!exchange(link, command, 6, 1))
            return false;
        store(i, link.RxData[0]);
    }
    return true;
}

// The panel sends one byte per code letter: 3 for "A", 4 for "B", 5 for "C".
bool decodeCode(std::span<const std::uint8_t> bytes, QString &code)
{
    code.clear();
    for (std::uint8_t b : bytes) {
        if (b < 3 || b > 5)
            return false;
        code.append(QChar(u'A' + (b - 3)));
    }
    return true;
}

} // namespace

PanelMode panelMode(Link &link)
{
    if (!exchange(link, 20, 5, 1))
        return NoValidReply;
    return link.RxData[0] == 1 ? ManualMode : AccessGranted;
}

bool accessCodes(Link &link, EditorView &view)
{
    if (!link.transaction(4, 5)) {
        // A panel that did not answer leaves the delivery codes in the boxes; an abandoned
        // transfer changes nothing.
        if (!link.isAborted()) {
            view.setCode(0, QString::fromLatin1(kDefaultCodes[0]));
            view.setCode(1, QString::fromLatin1(kDefaultCodes[1]));
        }
        return false;
    }
    // A reply that came whole but holds no pair of codes must not replace the installer's.
    QString level2, level3;
    if (link.RxCount != 8 || !decodeCode(std::span(link.RxData).subspan(0, 4), level2)
        || !decodeCode(std::span(link.RxData).subspan(4, 4), level3))
        return false;
    view.setCode(0, level2);
    view.setCode(1, level3);
    return true;
}

bool relays(Link &link, PanelConfig &config)
{
    return readIndexed(link, 12, kRelayCount, [&](int r, std::uint8_t b) { config.RelayMatrix[r] = b; });
}

bool output12v(Link &link, PanelConfig &config)
{
    return readByte(link, 14, config.Output12vMode);
}

bool alarmModes(Link &link, PanelConfig &config)
{
    return readIndexed(link, 21, kLoopCount, [&](int i, std::uint8_t b) { config.AlarmModes[i] = b; });
}

bool upCardPresence(Link &link)
{
    return exchange(link, 30, 5, 1);
}

bool upCardState(Link &link, Session &session)
{
    std::uint8_t state = 0;
    if (!readByte(link, 5, state))
        return false;
    session.UpCardStatus = state <= 1 ? state : 2;
    return true;
}

bool commandMatrix(Link &link, PanelConfig &config)
{
    // The panel answers with the complement of the byte it holds.
    return readIndexed(link, 2, kLoopCount,
                       [&](int i, std::uint8_t b) { config.CommandMatrix[i] = std::uint8_t(255 - b); });
}

bool functionTypes(Link &link, PanelConfig &config)
{
    return readIndexed(link, 3, kFunctionCount, [&](int k, std::uint8_t b) { config.FunctionTypes[k] = b; });
}

bool ugaTempo(Link &link, PanelConfig &config)
{
    std::uint8_t tempo = 0;
    if (!readByte(link, 6, tempo))
        return false;
    config.UgaTempo = tempo;
    return true;
}

bool aesChoice(Link &link, PanelConfig &config)
{
    return readByte(link, 27, config.AesChoice);
}

} // namespace Reads
