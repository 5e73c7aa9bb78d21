#pragma once
// Host-side only: rich text format (RTF) to and from a QTextDocument.
// The reader takes the subset word processors write for ordinary documents:
// font and colour tables; \b \i \ul \strike \fs \f \cf \highlight \cb; \par
// \line \tab; \ql \qr \qc \qj \li \ri \fi \sb \sa; \uN characters (with
// their \ucN fallbacks skipped) and \'hh bytes in the code page the file
// names (the document's \ansicpgN, or a font's \fcharsetN or \cpgN;
// Windows-1252 when it names none, host/CodePages.h); bytes past ASCII
// written as they are, read as UTF-8 when they are UTF-8; tables (\trowd
// \cellxN \intbl \cell \row) as QTextTables with the cells' right edges as
// column widths; \page and \pagebb as page breaks before the next paragraph;
// \binN data skipped by its length. Groups and destinations it does not know
// are skipped whole; groups nested deeper than it keeps still pair their
// braces. Unknown or broken RTF never fails: the document gets the text that
// could be read. Lengths and indents are twips in RTF and pixels of a 96-dpi
// page in the document (15 twips a pixel).
#include <string>
#include <string_view>

class QTextDocument;

namespace host {

class Font;

// Replaces the document's content by the RTF's. Text without explicit
// formatting takes `defaultFont`.
void readRtf(std::string_view rtf, QTextDocument& document, const Font& defaultFont);

// The document as RTF that readRtf reads back to the same text, paragraphs,
// character formats, tables and page breaks.
[[nodiscard]] std::string writeRtf(const QTextDocument& document);

}  // namespace host
