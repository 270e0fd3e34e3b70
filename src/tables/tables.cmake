# The rules of the two-column table editor and the table files.
qva_core_library(qvacore_tables
  SOURCES
    tables/table2dmodel.cpp
    tables/qvatablefiler.cpp
  DEPENDS qvacore_values qvacore_folders
)

# The table editor frame and its grid utilities.
qva_gui_library(qvagui_tables
  SOURCES
    tables/table2deditframe.cpp
    tables/gridutils.cpp
  DEPENDS qvacore_tables qvagui_values
)
