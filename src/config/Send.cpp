#include "config/EditorView.h"
#include "config/Reads.h"
#include "config/Transfer.h"
#include "config/TransferTexts.h"
#include "link/WaitFrm.h"
#include "ui/Prompts.h"

#include <QLabel>
#include <QProgressBar>

#include <vector>

namespace {

constexpr int kSendSteps = 42;

// A code the panel can hold: four letters, each A, B or C.
bool isCompleteCode(const QString &code)
{
    if (code.size() != 4)
        return false;
    for (QChar ch : code)
        if (ch < u'A' || ch > u'C')
            return false;
    return true;
}

// The panel takes one byte per letter: 3 for "A", 4 for "B", 5 for "C".
std::uint8_t letterByte(QChar letter)
{
    return std::uint8_t(3 + (letter.unicode() - u'A'));
}

// One item of the configuration: its writes (one data-byte list per index, in order), and the
// read that verifies it against what was sent.
struct Item
{
    const char *writeText;
    const char *verifyText;
    std::uint8_t command;
    std::vector<std::vector<std::uint8_t>> writes;
    std::function<bool()> verify;
    // Keeps the value of index i in the record just before it is written (empty: not kept).
    std::function<void(std::size_t)> keep = {};
};

enum class ItemResult { Verified, WriteFailed, VerifyFailed };

ItemResult writeAndVerify(TransferContext &c, const Item &item)
{
    c.progress.Label2->setText(QString::fromUtf8(item.writeText));
    for (std::size_t index = 0; index < item.writes.size(); ++index) {
        const std::vector<std::uint8_t> &data = item.writes[index];
        if (item.keep)
            item.keep(index);
        for (std::size_t i = 0; i < data.size(); ++i)
            c.link.TxData[i] = data[i];
        if (!c.link.transaction(item.command, std::uint8_t(5 + data.size())))
            return ItemResult::WriteFailed;
    }
    c.progress.Label2->setText(QString::fromUtf8(item.verifyText));
    return item.verify() ? ItemResult::Verified : ItemResult::VerifyFailed;
}

// Writes and verifies the items in order; stops at the first failure. A failed write has been
// reported by the transaction; a failed verification is reported here, once the progress
// window is gone.
template <std::size_t N>
bool writeItems(TransferContext &c, const Item (&items)[N])
{
    for (const Item &item : items) {
        switch (writeAndVerify(c, item)) {
        case ItemResult::Verified:
            break;
        case ItemResult::WriteFailed:
            return false;
        case ItemResult::VerifyFailed:
            if (c.link.isAborted())
                return false;   // abandoned by the installer: nobody is there to read it
            c.progress.hide();
            c.prompts.message(TransferTexts::transferError(), TransferTexts::transferErrorTitle(),
                              Prompts::Icon::Warning);
            return false;
        }
    }
    return true;
}

// Compares the first `count` elements of what the panel returned with what was sent.
template <typename Array>
bool sameBytes(const Array &readBack, const std::vector<std::uint8_t> &sent)
{
    for (std::size_t i = 0; i < sent.size(); ++i)
        if (readBack[i] != sent[i])
            return false;
    return true;
}

// One write per index: (index, value) for each value.
std::vector<std::vector<std::uint8_t>> indexedWrites(const std::vector<std::uint8_t> &values)
{
    std::vector<std::vector<std::uint8_t>> writes;
    for (std::size_t i = 0; i < values.size(); ++i)
        writes.push_back({std::uint8_t(i), values[i]});
    return writes;
}

template <std::size_t N>
std::vector<std::uint8_t> toVector(const std::array<std::uint8_t, N> &a)
{
    return {a.begin(), a.end()};
}

bool writeConfiguration(TransferContext &c, const ControlItems &items, const QString codes[2])
{
    Link &link = c.link;
    PanelConfig &config = c.session.config;

    if (!panelGrantsAccess(c))
        return false;

    const std::vector<std::uint8_t> relays = toVector(items.RelayMatrix);
    const std::vector<std::uint8_t> modes = toVector(items.AlarmModes);
    const std::vector<std::uint8_t> matrix = toVector(items.CommandMatrix);
    const std::vector<std::uint8_t> types = toVector(items.FunctionTypes);
    std::vector<std::uint8_t> letters;
    for (int p = 0; p < 4; ++p)
        letters.push_back(letterByte(codes[0][p]));
    for (int p = 0; p < 4; ++p)
        letters.push_back(letterByte(codes[1][p]));

    // The relay, 12 V, matrix, type and AES bytes are kept in the record as they are sent; the
    // verification reads then overwrite them with what the panel holds.
    const Item panelItems[] = {
        {"Ecriture Relais programmables", "Vérification Relais programmables", 13,
         indexedWrites(relays),
         [&] { return Reads::relays(link, config) && sameBytes(config.RelayMatrix, relays); },
         [&](std::size_t r) { config.RelayMatrix[r] = relays[r]; }},
        {"Ecriture mode sortie 12v", "Vérification mode sortie 12v  ", 15, {{items.Output12vMode}},
         [&] { return Reads::output12v(link, config) && config.Output12vMode == items.Output12vMode; },
         [&](std::size_t) { config.Output12vMode = items.Output12vMode; }},
        {"Ecriture modes alarme", "Vérification modes alarme", 22, indexedWrites(modes),
         [&] { return Reads::alarmModes(link, config) && sameBytes(config.AlarmModes, modes); }},
        {"Ecriture Codes d'accès", "Vérification Codes d'accès", 10, {letters},
         [&] {
             if (!Reads::accessCodes(link, c.view)) {
                 // The read put the delivery codes into the boxes; the installer's own codes
                 // must not be lost behind them.
                 c.view.setCode(0, codes[0]);
                 c.view.setCode(1, codes[1]);
                 return false;
             }
             return c.view.code(0) == codes[0] && c.view.code(1) == codes[1];
         }},
        {"Présence Carte UGA/CMSI", "Vérification carte UGA/CMSI  ", 29, {{config.UpCardPresent}},
         [&] { return Reads::upCardPresence(link) && link.RxData[0] == config.UpCardPresent; }},
    };
    if (!writeItems(c, panelItems))
        return false;
    if (config.UpCardPresent != 1)
        return true;

    const Item cardItems[] = {
        {"Ecriture matrice de commande", "Vérification matrice de commande", 8, indexedWrites(matrix),
         [&] { return Reads::commandMatrix(link, config) && sameBytes(config.CommandMatrix, matrix); },
         [&](std::size_t i) { config.CommandMatrix[i] = matrix[i]; }},
        {"Ecriture type des fonctions", "Vérification type des fonctions", 9, indexedWrites(types),
         [&] { return Reads::functionTypes(link, config) && sameBytes(config.FunctionTypes, types); },
         [&](std::size_t k) { config.FunctionTypes[k] = types[k]; }},
        {"Ecriture choix AES", "Vérification choix AES", 28, {{items.AesChoice}},
         [&] { return Reads::aesChoice(link, config) && config.AesChoice == items.AesChoice; },
         [&](std::size_t) { config.AesChoice = items.AesChoice; }},
    };
    return writeItems(c, cardItems);
}

} // namespace

bool sendConfiguration(TransferContext &c)
{
    // Codes the panel cannot take are refused before a port is asked for.
    const QString codes[2] = {c.view.code(0), c.view.code(1)};
    if (!isCompleteCode(codes[0]) || !isCompleteCode(codes[1])) {
        c.prompts.message(TransferTexts::codesTooShort(), TransferTexts::entryErrorTitle(),
                          Prompts::Icon::Warning);
        return false;
    }
    if (codes[0] == codes[1]) {
        c.prompts.message(TransferTexts::codesEqual(), TransferTexts::entryErrorTitle(),
                          Prompts::Icon::Warning);
        return false;
    }
    // What is sent is the editor as it stands when the button is pressed.
    const ControlItems items = c.view.itemsFromControls();

    if (c.selectPort() != PortOutcome::Opened)
        return false;

    c.progress.Label1->setText(QStringLiteral("EMISSION EN COURS..."));
    c.progress.ProgressBar1->setMaximum(kSendSteps);
    c.progress.ProgressBar1->setValue(0);
    c.progress.Label2->setText(QStringLiteral("Lecture mode ECS"));
    if (!c.link.wakeUp())
        return false;
    c.progress.show();

    const bool sent = writeConfiguration(c, items, codes);
    c.progress.hide();
    return sent;
}
