#pragma once

#include "config/EditorView.h"
#include "config/Session.h"
#include "files/DataFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>

// Files and contents shared by the file tests.
namespace FileFixtures {

// The configuration the editor shows right after start-up, as the file holds it.
inline DataFileContent startupContent()
{
    DataFileContent content;
    content.items.CommandMatrix.fill(30);
    content.items.FunctionTypes.fill(1);
    content.codes = {QStringLiteral("BCAB"), QStringLiteral("CCBA")};
    content.UpCardPresent = 1;
    return content;
}

// The fields of the start-up file, one per line, without blanks; the mark first.
inline QList<QByteArray> startupFields(const QByteArray &mark = "TORVA_DATA_V2")
{
    QList<QByteArray> fields{mark};
    for (int i = 0; i < 8; ++i)
        fields << "30" << "0";
    fields << "1" << "1" << "1" << "0" << "0" << "0" << "0";
    fields << "66" << "67" << "67" << "67" << "65" << "66" << "66" << "65";
    if (mark == "TORVA_DATA_V2")
        fields << "1";
    return fields;
}

// The fields joined as lines, each ended by `eol`.
inline QByteArray joinLines(const QList<QByteArray> &fields, const QByteArray &eol = "\r\n")
{
    QByteArray out;
    for (const QByteArray &f : fields)
        out += f + eol;
    return out;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// An editor reduced to what the file commands use: its controls are a ControlItems, and showing
// copies the record into them.
class StandInView : public EditorView
{
public:
    explicit StandInView(Session &session) : m_session(session) { controls = startupContent().items; }

    ControlItems itemsFromControls() const override { return controls; }
    void showConfiguration() override
    {
        ++shows;
        const PanelConfig &c = m_session.config;
        std::copy_n(c.CommandMatrix.begin(), 8, controls.CommandMatrix.begin());
        std::copy_n(c.AlarmModes.begin(), 8, controls.AlarmModes.begin());
        std::copy_n(c.FunctionTypes.begin(), 3, controls.FunctionTypes.begin());
        std::copy_n(c.RelayMatrix.begin(), 2, controls.RelayMatrix.begin());
        controls.Output12vMode = c.Output12vMode;
        controls.AesChoice = c.AesChoice;
    }
    QString code(int box) const override { return codes[box]; }
    void setCode(int box, const QString &text) override { codes[box] = text; }
    void setCardFramesVisible(bool) override {}

    ControlItems controls;
    std::array<QString, 2> codes{QStringLiteral("BCAB"), QStringLiteral("CCBA")};
    int shows = 0;

private:
    Session &m_session;
};

} // namespace FileFixtures
