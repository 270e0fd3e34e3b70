# Helpers that every part of the tree uses to declare its targets, so that
# warnings and precompiled headers are set in one place.

set(QVA_WARNINGS -Wall -Wextra -Wshadow)

function(qva_set_warnings target)
  target_compile_options(${target} PRIVATE ${QVA_WARNINGS})
endfunction()

# The Qt and standard headers nearly every file of ours includes. Parsing
# them is most of a compile; precompiled once per library they cost little.
set(QVA_PCH_CORE <cstdint> <functional> <memory> <optional> <string> <vector>
                 <QByteArray> <QDir> <QFile> <QFileInfo> <QList> <QObject> <QString> <QStringList>)
set(QVA_PCH_WIDGETS <QApplication> <QComboBox> <QDialog> <QLabel> <QLineEdit> <QPushButton> <QWidget>)
set(QVA_PCH_TEST <gtest/gtest.h> ${PROJECT_SOURCE_DIR}/tests/support/qtprinters.h)

# qva_precompile_qt(TARGET [WIDGETS] [TEST])
function(qva_precompile_qt target)
  cmake_parse_arguments(ARG "WIDGETS;TEST" "" "" ${ARGN})
  set(headers ${QVA_PCH_CORE})
  if(ARG_WIDGETS)
    list(APPEND headers ${QVA_PCH_WIDGETS})
  endif()
  if(ARG_TEST)
    list(APPEND headers ${QVA_PCH_TEST})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# The table file kinds the fuzz targets read, and the record of each:
# qva_table_record(KIND OUT_VARIABLE).
set(QVA_TABLE_KINDS output analog usercal)
function(qva_table_record kind out)
  set(records_output QVA_OUTPUT_CAL_TABLE)
  set(records_analog QVA_ANALOG_OUT_TABLE)
  set(records_usercal QVA_USER_CAL_TABLE)
  set(${out} ${records_${kind}} PARENT_SCOPE)
endfunction()
