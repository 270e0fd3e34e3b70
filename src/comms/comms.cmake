# The serial link to the meter, its device commands, the port choice and the
# Get and Send procedures (widget-free), then their windows.
set(QVA_COMMS_DEPENDS qvacore_base)
if(TARGET qvacore_folders)
  list(APPEND QVA_COMMS_DEPENDS qvacore_folders)
endif()
qva_core_library(qvacore_comms
  SOURCES
    comms/serialport.h
    comms/systemserialport.cpp
    comms/portdevices.cpp
    comms/qvaserialcomms.cpp
    comms/devicecommands.cpp
    comms/portchoice.cpp
    comms/transferprocedures.cpp
  DEPENDS ${QVA_COMMS_DEPENDS}
  QT SerialPort
)

qva_gui_library(qvagui_comms
  SOURCES
    comms/formserialport.h
    comms/formserialport.cpp
    comms/formtransfer.h
    comms/formtransfer.cpp
    comms/commshooks.h
    comms/commshooks.cpp
  DEPENDS qvacore_comms qvagui_stdcontrols Qt6::SerialPort
)
