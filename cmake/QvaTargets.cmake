# Helpers that every part of the tree uses to declare its targets, so that
# warnings, include paths and the core/widgets split are set in one place.

set(QVA_WARNINGS -Wall -Wextra -Wshadow)

function(qva_set_warnings target)
  target_compile_options(${target} PRIVATE ${QVA_WARNINGS})
endfunction()

# qva_core_library(NAME SOURCES ... [DEPENDS targets...] [QT components...])
# A widget-free static library that becomes part of qvacore. It links QtCore
# and the listed Qt components; QtWidgets is refused.
function(qva_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;QT" ${ARGN})
  if("Widgets" IN_LIST ARG_QT OR "Gui" IN_LIST ARG_QT)
    message(FATAL_ERROR "${name}: the core never links QtWidgets or QtGui")
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC Qt6::Core)
  foreach(component IN LISTS ARG_QT)
    target_link_libraries(${name} PUBLIC Qt6::${component})
  endforeach()
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
  qva_set_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY QVA_CORE_LIBRARIES ${name})
endfunction()

# qva_gui_library(NAME SOURCES ... [DEPENDS targets...])
# A widget library that becomes part of qvagui.
function(qva_gui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC qvacore Qt6::Widgets)
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
  qva_set_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY QVA_GUI_LIBRARIES ${name})
endfunction()
