# sources of the ui group: the user-interface services and the window kit
target_sources(vellorahost PRIVATE
  Window.cpp
  HeadlessUi.cpp
  PrintDialog.cpp
  QtPrintDialog.cpp
  QtKit.cpp
  QtUi.cpp)
