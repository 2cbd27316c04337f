# The installed program: the GNU layout, the desktop files and the icon theme.
#   bin/zentrafox, bin/zentrafox-mouse, bin/zentrafoxctl
#   <libdir>/zentrafox/libHIDUsb.so        loaded by path, never linked: private to the package
#   share/zentrafox/                       the shipped files of the build's application folder
#   share/applications, share/metainfo, share/icons/hicolor
include(GNUInstallDirs)

set(ZF_APP_ID "org.zentrafox.Zentrafox")
set(ZF_PROJECT_URL "https://zentrafox.org" CACHE STRING "Home page named by the AppStream metainfo")
set(ZF_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zentrafox)
set(ZF_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/zentrafox)

# The executables find their files relative to their own folder, so an install anywhere (a staging
# folder, a package) works without a rebuild.
file(RELATIVE_PATH _zf_bin_to_data ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zentrafox)
file(RELATIVE_PATH _zf_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/zentrafox)
file(RELATIVE_PATH _zf_lib_to_data ${CMAKE_INSTALL_FULL_LIBDIR}/zentrafox ${CMAKE_INSTALL_FULL_DATADIR}/zentrafox)
target_compile_definitions(zf_core PRIVATE ZF_APP_ID="${ZF_APP_ID}" ZF_BIN_TO_DATA="${_zf_bin_to_data}"
  ZF_BIN_TO_LIB="${_zf_bin_to_lib}")
if(TARGET HIDUsb)
  # The virtual receivers read their classes from the device table.
  target_compile_definitions(HIDUsb PRIVATE ZF_LIB_TO_DATA="${_zf_lib_to_data}")
endif()

foreach(_exe zentrafox zentrafox-mouse zentrafoxctl)
  if(TARGET ${_exe})
    install(TARGETS ${_exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET HIDUsb)
  install(TARGETS HIDUsb LIBRARY DESTINATION ${ZF_INSTALL_LIBDIR})
endif()

# The shipped files, as the build lays them out beside the executable.
install(DIRECTORY ${ZF_APP_DIR}/ DESTINATION ${ZF_INSTALL_DATADIR}
  FILES_MATCHING
  REGEX "/(usersetting|Language|Picture|bin|virtual)/.+"
  REGEX "/driver_sensor\\.h$")

# Desktop entry, AppStream metainfo and the icon in every usual size.
set(_zf_desktop_dir ${CMAKE_BINARY_DIR}/desktop)
set(_zf_desktop_src ${CMAKE_SOURCE_DIR}/resources/desktop)
configure_file(${_zf_desktop_src}/${ZF_APP_ID}.desktop.in ${_zf_desktop_dir}/${ZF_APP_ID}.desktop @ONLY)
configure_file(${_zf_desktop_src}/${ZF_APP_ID}.metainfo.xml.in ${_zf_desktop_dir}/${ZF_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_zf_desktop_dir}/${ZF_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_zf_desktop_dir}/${ZF_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_zf_desktop_src}/${ZF_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(_zf_icons)
foreach(_size 16 22 24 32 48 64 128 256)
  set(_png ${_zf_desktop_dir}/icons/${_size}x${_size}/${ZF_APP_ID}.png)
  add_custom_command(OUTPUT ${_png}
    COMMAND ${CMAKE_COMMAND} -E env ${ZF_SANITIZER_ENV} $<TARGET_FILE:svg2png> ${_zf_desktop_src}/${ZF_APP_ID}.svg ${_png} ${_size}
    DEPENDS svg2png ${_zf_desktop_src}/${ZF_APP_ID}.svg
    COMMENT "Rendering the ${_size}px icon")
  list(APPEND _zf_icons ${_png})
  install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
endforeach()
add_custom_target(zf_icons ALL DEPENDS ${_zf_icons})

if(ZF_BUILD_TESTS)
  find_program(ZF_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(ZF_APPSTREAMCLI appstreamcli)
  if(ZF_DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop_entry_valid
      COMMAND ${ZF_DESKTOP_FILE_VALIDATE} ${_zf_desktop_dir}/${ZF_APP_ID}.desktop)
    # Any message at all (hints included) fails it.
    set_tests_properties(desktop_entry_valid PROPERTIES FAIL_REGULAR_EXPRESSION ".+")
  endif()
  if(ZF_APPSTREAMCLI)
    add_test(NAME metainfo_valid
      COMMAND ${ZF_APPSTREAMCLI} validate --no-net --strict ${_zf_desktop_dir}/${ZF_APP_ID}.metainfo.xml)
  endif()
endif()
