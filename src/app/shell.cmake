# The application shell: the document and its rules, the recent-file list
# and the single-instance guard (core); the main window, the about box and
# the Qt prompter (widgets).
qva_core_library(qvacore_shell
  SOURCES
    app/custommessagebox.cpp
    app/setupdocument.cpp
    app/historylist.cpp
    app/singleinstanceguard.cpp
    app/errorhandler.cpp
  DEPENDS qvacore_base qvacore_folders
  QT Network
)

qva_gui_library(qvagui_shell
  SOURCES
    app/qtprompter.cpp
    app/aboutform.cpp
    app/aboutform.ui
    app/mainform.cpp
  DEPENDS qvacore_shell
)
