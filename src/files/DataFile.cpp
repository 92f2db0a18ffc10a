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

    // The line the next field starts on, from 1.
    int line() const { return m_line; }

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
        const qsizetype before = m_pos;
        if (m_pos < size && m_bytes[m_pos] == '\r')
            ++m_pos;
        if (m_pos < size && m_bytes[m_pos] == '\n')
            ++m_pos;
        if (m_pos > before)
            ++m_line;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    int m_line = 1;
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

// The line of each item in a file written by format().
namespace Line {
constexpr int command(int loop) { return 2 + 2 * loop; }
constexpr int mode(int loop) { return 3 + 2 * loop; }
constexpr int type(int function) { return 18 + function; }
constexpr int output12v = 23, aes = 24, card = 33;
} // namespace Line

std::optional<Problem> unshowable(const PanelConfig &items)
{
    const auto problem = [](int line, Fault fault) { return std::optional(Problem{line, fault}); };
    for (int i = 0; i < kLoopCount; ++i) {
        if (!items.commandFitsEditor(i))
            return problem(Line::command(i), Fault::CommandBits);
        if (items.AlarmModes[i] > 2)
            return problem(Line::mode(i), Fault::AlarmMode);
    }
    // Double detection pairs loops (1, 2), (3, 4), (5, 6), (7, 8): both or neither.
    for (int i = 0; i < kLoopCount; i += 2)
        if ((items.AlarmModes[i] == 2) != (items.AlarmModes[i + 1] == 2))
            return problem(Line::mode(i), Fault::UnpairedDouble);
    for (int k = 0; k < kFunctionCount; ++k) {
        const FunctionType type = items.functionType(k);
        const bool grouped = items.functionFlag(k, FunctionFlag::Grouped);
        const bool activeButton = items.functionFlag(k, FunctionFlag::ActiveButton);
        if (type > FunctionType::RSC_UGA)
            return problem(Line::type(k), Fault::FunctionType);
        // The auxiliary contact exists only under RSC_UGA; function 1 has no grouping boxes, and
        // the active button is only kept while grouped.
        if (items.functionFlag(k, FunctionFlag::AuxContact) && type != FunctionType::RSC_UGA)
            return problem(Line::type(k), Fault::AuxContact);
        if (k == 0 && (grouped || activeButton))
            return problem(Line::type(k), Fault::GroupedFirst);
        if (activeButton && !grouped)
            return problem(Line::type(k), Fault::ActiveUngrouped);
    }
    if (items.Output12vMode > 1)
        return problem(Line::output12v, Fault::NotZeroOrOne);
    if (items.AesChoice > 1)
        return problem(Line::aes, Fault::NotZeroOrOne);
    if (items.UpCardPresent > 1)
        return problem(Line::card, Fault::NotZeroOrOne);
    return std::nullopt;
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
    for (int pos = 0; pos < PanelConfig::kCodeLength; ++pos)
        for (const QString &code : items.AccessCodes)
            appendNumber(out, pos < code.size() ? code[pos].unicode() : 0);
    appendNumber(out, items.UpCardPresent);
    return out;
}

ParseResult parse(QByteArrayView bytes, Version expected)
{
    ParseResult result;
    // A missing field is on the line after the last one read; any other on its own.
    const auto fail = [&result](ParseError error, Fault fault) {
        result.error = error;
        const int last = result.lines.isEmpty() ? 0 : result.lines.last();
        if (fault == Fault::MissingLine) {
            result.problem = {last + 1, fault};
        } else if (fault != Fault::None) {
            result.problem = {last, fault};
            result.field = result.fields.last();
        }
        return result;
    };

    FieldReader reader(bytes);
    const auto next = [&]() {
        const int line = reader.line();
        const std::optional<QByteArrayView> field = reader.next();
        if (field) {
            result.lines << line;
            result.fields << field->toByteArray();
        }
        return field;
    };

    const std::optional<QByteArrayView> mark = next();
    if (!mark)
        return fail(ParseError::Incompatible, Fault::MissingLine);
    if (expected == Version::V2 && *mark != QByteArrayView(kMarkV2))
        return *mark == QByteArrayView(kMarkV1) ? fail(ParseError::Version1File, Fault::None)
                                                : fail(ParseError::Incompatible, Fault::WrongMark);
    if (expected == Version::V1 && *mark != QByteArrayView(kMarkV1))
        return fail(ParseError::Incompatible, Fault::WrongMark);

    // Reading stops at the first field that fails; `fault` says why.
    Fault fault = Fault::None;
    const auto nextByte = [&]() -> std::uint8_t {
        if (fault != Fault::None)
            return 0;
        const std::optional<QByteArrayView> field = next();
        const std::optional<std::uint8_t> value = field ? toByte(*field) : std::nullopt;
        if (!value)
            fault = field ? Fault::NotAByte : Fault::MissingLine;
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
    for (int pos = 0; pos < PanelConfig::kCodeLength; ++pos) {
        for (QString &code : items.AccessCodes) {
            const std::uint8_t c = nextByte();
            if (fault == Fault::None && !PanelConfig::isCodeLetter(QChar(c)))
                fault = Fault::NotACodeLetter;
            code.append(QChar(c));
        }
    }
    items.UpCardPresent = expected == Version::V2 ? nextByte() : 1;
    if (fault != Fault::None)
        return fail(ParseError::Incompatible, fault);
    result.content = items;
    return result;
}

ParseResult parseShowable(QByteArrayView bytes, Version expected)
{
    ParseResult result = parse(bytes, expected);
    if (!result.ok())
        return result;
    if (const std::optional<Problem> problem = unshowable(*result.content)) {
        result.content.reset();
        result.error = ParseError::Incompatible;
        // The field's own line, should the file hold several fields on one line.
        const qsizetype field = problem->line - 1;
        result.problem = {result.lines.value(field, problem->line), problem->fault};
        result.field = result.fields.value(field);
    }
    return result;
}

} // namespace DataFile
