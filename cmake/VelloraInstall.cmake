# What `cmake --install build --prefix P` puts in place: the libraries with
# their SONAME, the public headers, the vellora program, the Qt Designer
# plugin, a CMake package (find_package(Vellora) with Vellora::Vellora for
# both controls and Vellora::Resizer for the resizer alone) and a
# pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(vellora_libraries vellorahost Velloractl Gauxelctl vellora_qtforms vellora_liveprint VelloraPrint VelloraResizer)
foreach(library ${vellora_libraries})
  set_target_properties(${library} PROPERTIES
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
    INSTALL_RPATH "$ORIGIN")
endforeach()

# The controls' own libraries go with the widgets' (an application links
# only the widgets; the loader finds the rest beside them).
install(TARGETS VelloraWidgets ${vellora_libraries} EXPORT VelloraTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/vellora/PrintControl.h include/vellora/Resizer.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vellora)

set_target_properties(vellora PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS vellora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Qt Designer looks for plugins in <Qt plugins>/designer; with another prefix
# point QT_PLUGIN_PATH at <prefix>/lib/qt6/plugins.
set(VELLORA_DESIGNER_PLUGIN_DIR ${CMAKE_INSTALL_LIBDIR}/qt6/plugins/designer)
set_target_properties(vellora_designer PROPERTIES INSTALL_RPATH "$ORIGIN/../../..")
install(TARGETS vellora_designer LIBRARY DESTINATION ${VELLORA_DESIGNER_PLUGIN_DIR})

set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vellora)
install(EXPORT VelloraTargets NAMESPACE Vellora:: DESTINATION ${package_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelloraConfig.cmake.in
  ${CMAKE_BINARY_DIR}/VelloraConfig.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VelloraConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VelloraConfig.cmake ${CMAKE_BINARY_DIR}/VelloraConfigVersion.cmake
  DESTINATION ${package_dir})

configure_file(${PROJECT_SOURCE_DIR}/cmake/vellora.pc.in ${CMAKE_BINARY_DIR}/vellora.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/vellora.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
