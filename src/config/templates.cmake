# The dialog that starts a new configuration from a template.
qva_gui_library(qvagui_templates
  SOURCES
    config/newconfigform.cpp
    config/newconfigform.ui
  DEPENDS qvacore_folders
)
