#include "files/DataFile.h"

namespace DataFile {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

QByteArrayView trimmed(QByteArrayView field)
{
    while (!field.isEmpty() && isBlank(field.front()))
        field = field.sliced(1);
    while (!field.isEmpty() && isBlank(field.back()))
        field.chop(1);
    return field;
}

// Hands out the fields of a file one after another, as the old line-and-comma reader did.
class FieldReader
{
public:
    explicit FieldReader(QByteArrayView bytes) : m_bytes(bytes)
    {
        static constexpr char kBom[] = "\xEF\xBB\xBF";
        if (m_bytes.startsWith(QByteArrayView(kBom, 3)))
            m_pos = 3;
    }

    // The next field, blanks trimmed; empty optional when the file has ended.
    std::optional<QByteArrayView> next()
    {
        const qsizetype size = m_bytes.size();
        if (m_pos >= size)
            return std::nullopt;
        qsizetype end = m_pos;
        while (end < size && m_bytes[end] != ',' && !isLineEnd(m_bytes[end]))
            ++end;
        const QByteArrayView field = m_bytes.sliced(m_pos, end - m_pos);
        m_pos = end;
        if (m_pos < size && m_bytes[m_pos] == ',') {
            ++m_pos;
            // A comma closing the last value of a line ends that line too: "30,\r\n" is one field.
            qsizetype after = m_pos;
            while (after < size && isBlank(m_bytes[after]))
                ++after;
            if (after < size && isLineEnd(m_bytes[after]))
                m_pos = after;
            else
                return trimmed(field);
        }
        skipLineEnd();
        return trimmed(field);
    }

private:
    void skipLineEnd()
    {
        const qsizetype size = m_bytes.size();
        if (m_pos < size && m_bytes[m_pos] == '\r')
            ++m_pos;
        if (m_pos < size && m_bytes[m_pos] == '\n')
            ++m_pos;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

// A whole number 0 to 255, digits only once the blanks are gone.
std::optional<std::uint8_t> toByte(QByteArrayView field)
{
    if (field.isEmpty())
        return std::nullopt;
    unsigned value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + unsigned(c - '0');
        if (value > 255) // also keeps a long run of digits from overflowing
            return std::nullopt;
    }
    return std::uint8_t(value);
}

void appendNumber(QByteArray &out, unsigned value)
{
    out += ' ';
    out += QByteArray::number(value);
    out += " \r\n";
}

} // namespace

bool editorCanShow(const PanelConfig &items)
{
    if (items.UpCardPresent > 1 || items.Output12vMode > 1 || items.AesChoice > 1)
        return false;
    for (int i = 0; i < kLoopCount; ++i) {
        // Bits 0-1 one UGA command of three (both bits set has no option button), bits 2-4 the
        // three functions, nothing above.
        const std::uint8_t command = items.CommandMatrix[i];
        if ((command & 0x03) == 0x03 || command > 0x1F)
            return false;
        if (items.AlarmModes[i] > 2)
            return false;
    }
    // Double detection pairs loops (1, 2), (3, 4), (5, 6), (7, 8): both or neither.
    for (int i = 0; i < kLoopCount; i += 2)
        if ((items.AlarmModes[i] == 2) != (items.AlarmModes[i + 1] == 2))
            return false;
    for (int k = 0; k < kFunctionCount; ++k) {
        const std::uint8_t type = items.FunctionTypes[k];
        if ((type & FunctionFlag::TypeMask) > FunctionType::RSC_UGA)
            return false;
        // The auxiliary contact exists only under RSC_UGA; function 1 has no grouping boxes, and
        // the active button is only kept while grouped.
        if ((type & FunctionFlag::AuxContact) && (type & FunctionFlag::TypeMask) != FunctionType::RSC_UGA)
            return false;
        if (k == 0 && (type & (FunctionFlag::Grouped | FunctionFlag::ActiveButton)))
            return false;
        if ((type & FunctionFlag::ActiveButton) && !(type & FunctionFlag::Grouped))
            return false;
    }
    return true;
}

QByteArray format(const PanelConfig &items)
{
    QByteArray out;
    out.reserve(256);
    out += kMarkV2;
    out += "\r\n";
    for (int i = 0; i < kLoopCount; ++i) {
        appendNumber(out, items.CommandMatrix[i]);
        appendNumber(out, items.AlarmModes[i]);
    }
    for (int k = 0; k < kFunctionCount; ++k)
        appendNumber(out, items.FunctionTypes[k]);
    for (int r = 0; r < kRelayCount; ++r)
        appendNumber(out, items.RelayMatrix[r]);
    appendNumber(out, items.Output12vMode);
    appendNumber(out, items.AesChoice);
    for (int pos = 0; pos < 4; ++pos)
        for (const QString &code : items.AccessCodes)
            appendNumber(out, pos < code.size() ? code[pos].unicode() : 0);
    appendNumber(out, items.UpCardPresent);
    return out;
}

ParseResult parse(QByteArrayView bytes, Version expected)
{
    const auto fail = [](ParseError error) { return ParseResult{std::nullopt, error}; };

    FieldReader reader(bytes);
    const std::optional<QByteArrayView> mark = reader.next();
    if (!mark)
        return fail(ParseError::Incompatible);
    if (expected == Version::V2 && *mark != QByteArrayView(kMarkV2))
        return fail(*mark == QByteArrayView(kMarkV1) ? ParseError::Version1File : ParseError::Incompatible);
    if (expected == Version::V1 && *mark != QByteArrayView(kMarkV1))
        return fail(ParseError::Incompatible);

    bool good = true;
    const auto nextByte = [&]() -> std::uint8_t {
        const std::optional<QByteArrayView> field = reader.next();
        const std::optional<std::uint8_t> value = field ? toByte(*field) : std::nullopt;
        if (!value)
            good = false;
        return value.value_or(0);
    };

    PanelConfig items;
    for (int i = 0; i < kLoopCount; ++i) {
        items.CommandMatrix[i] = nextByte();
        items.AlarmModes[i] = nextByte();
    }
    for (int k = 0; k < kFunctionCount; ++k)
        items.FunctionTypes[k] = nextByte();
    for (int r = 0; r < kRelayCount; ++r)
        items.RelayMatrix[r] = nextByte();
    items.Output12vMode = nextByte();
    items.AesChoice = nextByte();
    items.AccessCodes = {};
    for (int pos = 0; pos < 4; ++pos) {
        for (QString &code : items.AccessCodes) {
            const std::uint8_t c = nextByte();
            if (c < 'A' || c > 'C')
                good = false;
            code.append(QChar(c));
        }
    }
    items.UpCardPresent = expected == Version::V2 ? nextByte() : 1;
    if (!good)
        return fail(ParseError::Incompatible);
    return {items, ParseError::None};
}

} // namespace DataFile
