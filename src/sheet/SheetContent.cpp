#include "sheet/SheetContent.h"

#include "config/Session.h"

SheetContent SheetContent::fromEditor(const EditorView &view, const Session &session, const QDateTime &madeAt)
{
    SheetContent content;
    content.config = view.configuration();
    content.dataFileName = session.DataFileName;
    content.panelVersion = session.PanelVersion;
    content.panelSerial = session.PanelSerial;
    content.madeAt = madeAt;
    return content;
}
