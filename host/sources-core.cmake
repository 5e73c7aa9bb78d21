target_sources(vellorahost PRIVATE
  HostError.cpp
  Lang.cpp
  Value.cpp
  Object.cpp
  Font.cpp
  SysColors.cpp
  Runtime.cpp
  QtFont.cpp
  SystemInfo.cpp
  CodePages.cpp)
