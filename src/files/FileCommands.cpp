#include "files/FileCommands.h"

#include "config/CodesRule.h"
#include "config/EditorView.h"
#include "config/Messages.h"
#include "config/Session.h"
#include "files/AtomicFile.h"
#include "files/DataFile.h"
#include "seams/Prompts.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

std::optional<QByteArray> FileCommands::readFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(DataFile::kMaxReadBytes);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool FileCommands::writeFile(const QString &path, const QByteArray &bytes)
{
    return AtomicFile::write(path, bytes);
}

FileCommands::FileCommands(Session &session, EditorView &view, Prompts &prompts)
    : m_session(session), m_view(view), m_prompts(prompts)
{}

SaveResult FileCommands::save()
{
    // A code shorter than four letters has no character to write at its end; refuse before the
    // installer picks a file rather than write a file the reader would refuse. Two equal codes are
    // saved: it is the send that refuses them.
    const PanelConfig config = m_view.configuration();
    if (CodesRule::check(config.AccessCodes).first() == CodesRule::Fault::TooShort) {
        m_prompts.message(CodesRule::message(CodesRule::Fault::TooShort), Messages::entryErrorTitle(),
                          Prompts::Icon::Warning);
        return SaveResult::Failed;
    }

    const QString path = m_prompts.saveFileName(kFilter, kSuffix);
    if (path.isEmpty())
        return SaveResult::Cancelled;

    bool written = false;
    {
        BusyPointer busy(m_prompts);
        written = writeFile(path, DataFile::format(config));
    }
    if (!written) {
        m_prompts.message(Messages::cannotSave(), Messages::fileTitle(), Prompts::Icon::Warning);
        return SaveResult::Failed;
    }
    m_session.ConfigSaved = true;
    m_session.DataFileName = path;
    return SaveResult::Saved;
}

LoadResult FileCommands::open() { return load(Kind::Open); }

LoadResult FileCommands::importVersion1() { return load(Kind::Import); }

LoadResult FileCommands::openPath(const QString &path) { return show(read(Kind::Open, path)); }

LoadResult FileCommands::load(Kind kind) { return show(chooseAndRead(kind)); }

LoadResult FileCommands::show(const ReadFile &file)
{
    if (file.result == LoadResult::Loaded) {
        m_view.show(file.config);
        m_session.DataFileName = file.path;
        // A file is no panel's configuration as read: a send asks about no other panel.
        m_session.SourcePanelSerial.reset();
    }
    return file.result;
}

std::optional<PanelConfig> FileCommands::chooseForComparison()
{
    const ReadFile file = chooseAndRead(Kind::Open);
    if (file.result != LoadResult::Loaded)
        return std::nullopt;
    return file.config;
}

FileCommands::ReadFile FileCommands::chooseAndRead(Kind kind)
{
    // A cancelled dialog is the installer changing their mind, not a bad file: say nothing.
    const QString path = m_prompts.openFileName(kFilter, kSuffix);
    if (path.isEmpty())
        return {LoadResult::Cancelled, {}, {}};
    return read(kind, path);
}

FileCommands::ReadFile FileCommands::read(Kind kind, const QString &path)
{
    DataFile::ParseError error = DataFile::ParseError::Incompatible;
    {
        BusyPointer busy(m_prompts);
        if (const std::optional<QByteArray> bytes = readFile(path)) {
            // A value the editor cannot show as it is would leave it showing a mix of this file
            // and the configuration before it: refused like any malformed file.
            const DataFile::ParseResult result = DataFile::parseShowable(
                *bytes, kind == Kind::Open ? DataFile::Version::V2 : DataFile::Version::V1);
            error = result.error;
            if (result.ok())
                return {LoadResult::Loaded, *result.content, path};
        }
    }

    m_prompts.message(error == DataFile::ParseError::Version1File ? Messages::version1File()
                                                                  : Messages::incompatibleFile(),
                      Messages::fileTitle(), Prompts::Icon::Warning);
    return {LoadResult::Refused, {}, {}};
}
