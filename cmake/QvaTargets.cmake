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
