# Windows and pages reach the device library only through the device link (DeviceSession, the writers,
# the worker): no window source includes the loader or calls the library's functions itself.
file(GLOB_RECURSE sources ${SOURCE_DIR}/app/*.cpp ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/sensor/*.cpp
     ${SOURCE_DIR}/sensor/*.h ${SOURCE_DIR}/buttons/*.cpp ${SOURCE_DIR}/buttons/*.h ${SOURCE_DIR}/macro/*.cpp
     ${SOURCE_DIR}/macro/*.h ${SOURCE_DIR}/light/*.cpp ${SOURCE_DIR}/light/*.h ${SOURCE_DIR}/profile/*.cpp
     ${SOURCE_DIR}/profile/*.h)
set(found)
foreach(source ${sources})
  file(STRINGS ${source} lines REGEX "device/HidApi\\.h|[^A-Za-z_]hid\\(\\)\\.|\"HIDUsb\\.h\"")
  if(lines)
    list(APPEND found "${source}: ${lines}")
  endif()
endforeach()
if(found)
  string(REPLACE ";" "\n" found "${found}")
  message(FATAL_ERROR "windows calling the device library directly:\n${found}")
endif()
