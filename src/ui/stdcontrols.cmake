# The dialogs' own control classes: standard button height, grey disabled
# fields, extended combo keyboard, Ctrl+Tab tab strips.
qva_gui_library(qvagui_stdcontrols
  SOURCES
    ui/stdbutton.cpp
    ui/stdedit.cpp
    ui/stdcombo.cpp
    ui/stdradiobutton.cpp
    ui/stdtabcontrol.cpp
)
