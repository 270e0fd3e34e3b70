# The named-field table of the configuration record, shared by the
# command-line tool and the configuration viewer.
qva_core_library(qvaconfigfields
  SOURCES
    config/configfields.cpp
  DEPENDS qvacore_base
)
