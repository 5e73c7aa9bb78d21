# sources of the form-file and component group
target_sources(vellorahost PRIVATE
  model/FormFile.cpp
  model/FormData.cpp
  model/GridFormData.cpp
  model/DataGridFormData.cpp
  model/Csv.cpp
  model/Components.cpp
  model/UserFile.cpp
  OutputFile.cpp)
