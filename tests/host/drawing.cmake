vellora_add_test_suite(host_drawing_tests
  SPOOLER
  SOURCES
    drawing/RasterShapesTest.cpp
    drawing/RasterTextTest.cpp
    drawing/LongWordWrapTest.cpp
    drawing/RasterSurfaceTest.cpp
    drawing/PrinterTest.cpp
    drawing/PageRecordingTest.cpp
    drawing/PdfPrinterTest.cpp
    drawing/CupsPrinterTest.cpp
  LIBRARIES vellorahost vellora_test_main)
