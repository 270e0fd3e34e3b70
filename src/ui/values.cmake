# Fixed-point values with units and the text half of validated entry.
qva_core_library(qvacore_values
  SOURCES
    ui/qvavalues.cpp
    ui/validators.cpp
  DEPENDS qvacore_base
)

# The widget half of validated entry: edits, spin boxes, code combo boxes.
qva_gui_library(qvagui_values
  SOURCES
    ui/validatorsgui.cpp
  DEPENDS qvacore_values
)
