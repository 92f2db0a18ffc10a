#include "sheet/SheetContent.h"

#include "config/Session.h"

SheetContent SheetContent::fromEditor(const EditorView &view, const Session &session,
                                      const QDateTime &madeAt)
{
    SheetContent content;
    content.items = view.itemsFromControls();
    content.codes = {view.code(0), view.code(1)};
    // UpCardPresent follows the selected "PRESENTE"/"ABSENTE" button at every change.
    content.cardPresent = session.config.UpCardPresent == 1;
    content.ugaTempo = session.config.UgaTempo;
    content.dataFileName = session.DataFileName;
    content.panelVersion = session.PanelVersion;
    content.panelSerial = session.PanelSerial;
    content.madeAt = madeAt;
    return content;
}
