# The named folders, path helpers, numbered backups and the save that keeps
# them.
qva_core_library(qvacore_folders
  SOURCES
    app/registeredfilepath.cpp
  DEPENDS qvacore_base
)
# <<PROGRAMFILES>> has no registry to read outside Windows: it stands for
# the folder the program is installed under.
target_compile_definitions(qvacore_folders PRIVATE QVA_INSTALL_PREFIX="${CMAKE_INSTALL_PREFIX}")

# The configuration folder dialog.
qva_gui_library(qvagui_folders
  SOURCES
    app/qvaconfigfilelocationform.cpp
    app/qvaconfigfilelocationform.ui
  DEPENDS qvacore_folders qvagui_stdcontrols
)
