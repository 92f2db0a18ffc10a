#pragma once

#include "sheet/SheetContent.h"

#include <QString>

// The configuration sheet an installer signs and leaves with the site's safety records: every
// item in the words of the editor's captions and tooltips, never as the bytes the panel stores.
// Pure functions of SheetContent, so that the printed page and the PDF are the same document
// and tests can read each wording without a printer.
namespace ConfigSheet {

// The whole sheet as rich text for QTextDocument, sized for one A4 page. Every value taken from
// outside the program (the file name) is escaped.
QString html(const SheetContent &content);

// The sheet's sections alone (loops, relays, card, other items), without its header and its
// signature box, for a document that has its own; the styles are stylesheet()'s.
QString body(const SheetContent &content);
QString stylesheet();

} // namespace ConfigSheet
