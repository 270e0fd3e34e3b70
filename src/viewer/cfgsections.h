#pragma once

#include "viewer/cfgview.h"

// The sections of the record as the viewer's tree shows them. Each view
// names its section's record path and offset; its fields come from the
// record's description.

// "Config": the top-level fields and every section below them.
class TCfgViewQVAConfigData : public TCfgViewParentClass<QVA_CONFIG_DATA> {
 public:
  TCfgViewQVAConfigData();
  void AddChildNodes(CfgNode& node) override;
};

// One CAN message of can_message_config.
class TCfgViewQVACANMsgConfig : public TCfgViewClass<QVA_CAN_MSG_CONFIG> {
 public:
  explicit TCfgViewQVACANMsgConfig(int message);
};

class TCfgViewQVADisplayConfig : public TCfgViewClass<QVA_DISPLAY_CONFIG> {
 public:
  TCfgViewQVADisplayConfig();
};

// One output table; its points below it as "values".
class TCfgViewQVAOutputCalTable : public TCfgViewParentClass<QVA_OUTPUT_CAL_TABLE> {
 public:
  explicit TCfgViewQVAOutputCalTable(int table);
  void AddChildNodes(CfgNode& node) override;
};

class TCfgViewQVAAnalogOutTable : public TCfgViewParentClass<QVA_ANALOG_OUT_TABLE> {
 public:
  TCfgViewQVAAnalogOutTable();
  void AddChildNodes(CfgNode& node) override;
};

class TCfgViewQVAUserCalTable : public TCfgViewParentClass<QVA_USER_CAL_TABLE> {
 public:
  TCfgViewQVAUserCalTable();
  void AddChildNodes(CfgNode& node) override;
};

// No fields of its own: its page is an empty list; the three gain sets
// below it.
class TCfgViewQVAPIDSettings : public TCfgViewParentClass<QVA_PID_SETTINGS> {
 public:
  TCfgViewQVAPIDSettings();
  void AddChildNodes(CfgNode& node) override;
};

class TCfgViewQVAPIDConstants : public TCfgViewClass<QVA_PID_CONSTANTS> {
 public:
  TCfgViewQVAPIDConstants(const QString& path, std::size_t offset);
};
