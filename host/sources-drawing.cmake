# sources of the drawing group: device contexts, pictures, printers
target_sources(vellorahost PRIVATE
  Dc.cpp
  PainterDc.cpp
  RasterDc.cpp
  Picture.cpp
  PagedDocument.cpp)
target_sources(vellorahost PRIVATE
  Printer.cpp
  printers/PageRecording.cpp
  printers/PaperSizes.cpp
  printers/PdfPrinter.cpp
  printers/CupsPrinter.cpp
  printers/CupsSpooler.cpp
  printers/MemoryPrinter.cpp
  printers/PageKeepingPrinter.cpp)
