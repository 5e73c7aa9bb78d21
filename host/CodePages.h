#pragma once
// Host-side only: the Windows code pages text of older files comes in (RTF's
// \ansicpgN and \'hh, a font's \fcharsetN), decoded to UTF-16.
//
// The single-byte Windows code pages 1250 to 1258 are decoded from tables of
// their own, so they read the same whether or not Qt was built with ICU.
// UTF-8 (65001) is Qt's own; any other code page (874, the double-byte 932,
// 936, 949, 950, the OEM and Mac pages) is decoded by Qt's converter when
// this Qt offers it (a Qt built with ICU does), and read as Windows-1252
// otherwise. Bytes a code page leaves undefined become U+FFFD.
#include <QString>
#include <memory>
#include <string_view>

class QStringDecoder;

namespace host {

inline constexpr int WesternCodePage = 1252;  // the ANSI code page RTF assumes
inline constexpr int Utf8CodePage = 65001;

// The code page of a Windows font character set (a font's Charset, RTF's
// \fcharsetN): 0 ANSI 1252, 161 Greek 1253, 162 Turkish 1254, 163 Vietnamese
// 1258, 177 Hebrew 1255, 178 Arabic 1256, 186 Baltic 1257, 204 Russian 1251,
// 238 Eastern European 1250, 222 Thai 874, 128 Shift-JIS 932, 129 Hangul 949,
// 130 Johab 1361, 134 GB2312 936, 136 Big5 950, 77 Mac 10000, 255 OEM 437.
// 0 for the sets that name no code page of their own (1 default, 2 symbol) and
// for unknown ones: the caller keeps the code page it had.
[[nodiscard]] int codePageOfCharset(int charset);

// True when `codePage` is decoded as itself (not read as Windows-1252).
[[nodiscard]] bool isKnownCodePage(int codePage);

// Decodes bytes of one code page; a double-byte character split over two
// calls is joined (the decoder keeps the lead byte until its trail arrives).
class CodePageDecoder {
 public:
  explicit CodePageDecoder(int codePage);
  ~CodePageDecoder();
  CodePageDecoder(CodePageDecoder&&) noexcept;
  CodePageDecoder& operator=(CodePageDecoder&&) noexcept;

  [[nodiscard]] int codePage() const { return codePage_; }
  [[nodiscard]] QString decode(std::string_view bytes);

 private:
  int codePage_;
  const char16_t* table_ = nullptr;     // bytes 0x80 to 0xFF of a table page
  std::unique_ptr<QStringDecoder> qt_;  // any other page Qt offers
};

// The bytes in one code page as UTF-16.
[[nodiscard]] QString decodeCodePage(int codePage, std::string_view bytes);

// True when the bytes are well-formed UTF-8 (ASCII is).
[[nodiscard]] bool isUtf8(std::string_view bytes);

}  // namespace host
