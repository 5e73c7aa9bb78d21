#pragma once
// Host-side only: rich text format (RTF) to and from a QTextDocument.
// The reader takes the subset word processors write for ordinary documents:
// font and colour tables; \b \i \ul \strike \fs \f \cf \highlight \cb; \par
// \line \tab; \ql \qr \qc \qj \li \ri \fi \sb \sa; \uN and \'hh characters
// (Windows-1252); groups and destinations it does not know are skipped whole.
// Unknown or broken RTF never fails: the document gets the text that could be
// read. Lengths and indents are twips in RTF and pixels of a 96-dpi page in
// the document (15 twips a pixel).
#include <string>
#include <string_view>

class QTextDocument;

namespace host {

class Font;

// Replaces the document's content by the RTF's. Text without explicit
// formatting takes `defaultFont`.
void readRtf(std::string_view rtf, QTextDocument& document, const Font& defaultFont);

// The document as RTF that readRtf reads back to the same text, paragraphs and
// character formats.
[[nodiscard]] std::string writeRtf(const QTextDocument& document);

}  // namespace host
