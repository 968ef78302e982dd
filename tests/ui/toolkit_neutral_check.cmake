# Fails when ui/, app/ or the interface headers of platform/ reach for a toolkit: a Qt or Windows
# header, a backend's own header, or a Qt type. They are shared by every platform backend.
file(GLOB sources
  ${SOURCE_DIR}/ui/*.h ${SOURCE_DIR}/ui/*.cpp
  ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
  ${SOURCE_DIR}/platform/*.h)
set(include_pattern "#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt|windows\\.h|platform/qt/|platform/win32/)")
set(offenders "")
foreach(source IN LISTS sources)
  file(STRINGS ${source} lines)
  foreach(line IN LISTS lines)
    if(line MATCHES "${include_pattern}" OR line MATCHES "Q_OBJECT|QString|QWidget|HWND")
      file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
      string(APPEND offenders "\n  ${name}: ${line}")
    endif()
  endforeach()
endforeach()
list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(offenders)
  message(FATAL_ERROR "toolkit code in the shared window logic:${offenders}")
endif()
