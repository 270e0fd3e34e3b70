#include "viewer/cfgsections.h"

#include <cstddef>
#include <type_traits>

#include "viewer/cfgtree.h"

namespace {

QString Indexed(const char* name, std::size_t index) {
  return QStringLiteral("%1[%2]").arg(QLatin1String(name)).arg(index);
}

}  // namespace

TCfgViewQVAConfigData::TCfgViewQVAConfigData() : TCfgViewParentClass(QString(), 0) {}

void TCfgViewQVAConfigData::AddChildNodes(CfgNode& node) {
  CfgNode& messages = node.AddChild(QStringLiteral("can_message_config"));
  for (std::size_t n = 0; n < std::extent_v<decltype(QVA_CONFIG_DATA::can_message_config)>; ++n)
    messages.AddChild(QString::number(n), std::make_unique<TCfgViewQVACANMsgConfig>(static_cast<int>(n)));
  node.AddChild(QStringLiteral("display_config"), std::make_unique<TCfgViewQVADisplayConfig>());
  CfgNode& tables = node.AddChild(QStringLiteral("output_table"));
  for (std::size_t n = 0; n < std::extent_v<decltype(QVA_CONFIG_DATA::output_table)>; ++n)
    tables.AddChild(QString::number(n), std::make_unique<TCfgViewQVAOutputCalTable>(static_cast<int>(n)));
  node.AddChild(QStringLiteral("analog_out_table"), std::make_unique<TCfgViewQVAAnalogOutTable>());
  node.AddChild(QStringLiteral("user_cal_table"), std::make_unique<TCfgViewQVAUserCalTable>());
  node.AddChild(QStringLiteral("pid_settings"), std::make_unique<TCfgViewQVAPIDSettings>());
}

TCfgViewQVACANMsgConfig::TCfgViewQVACANMsgConfig(int message)
    : TCfgViewClass(Indexed("can_message_config", message),
                    offsetof(QVA_CONFIG_DATA, can_message_config) + message * sizeof(QVA_CAN_MSG_CONFIG)) {}

TCfgViewQVADisplayConfig::TCfgViewQVADisplayConfig()
    : TCfgViewClass(QStringLiteral("display_config"), offsetof(QVA_CONFIG_DATA, display_config)) {}

TCfgViewQVAOutputCalTable::TCfgViewQVAOutputCalTable(int table)
    : TCfgViewParentClass(Indexed("output_table", table),
                          offsetof(QVA_CONFIG_DATA, output_table) + table * sizeof(QVA_OUTPUT_CAL_TABLE)) {}

void TCfgViewQVAOutputCalTable::AddChildNodes(CfgNode& node) {
  node.AddChild(QStringLiteral("values"), std::make_unique<TCfgView2x2TableInt16>(Member(QStringLiteral("values"))));
}

TCfgViewQVAAnalogOutTable::TCfgViewQVAAnalogOutTable()
    : TCfgViewParentClass(QStringLiteral("analog_out_table"), offsetof(QVA_CONFIG_DATA, analog_out_table)) {}

void TCfgViewQVAAnalogOutTable::AddChildNodes(CfgNode& node) {
  node.AddChild(QStringLiteral("values"), std::make_unique<TCfgView2x2TableInt16>(Member(QStringLiteral("values"))));
}

TCfgViewQVAUserCalTable::TCfgViewQVAUserCalTable()
    : TCfgViewParentClass(QStringLiteral("user_cal_table"), offsetof(QVA_CONFIG_DATA, user_cal_table)) {}

void TCfgViewQVAUserCalTable::AddChildNodes(CfgNode& node) {
  node.AddChild(QStringLiteral("values"), std::make_unique<TCfgView2x2TableInt16>(Member(QStringLiteral("values"))));
}

TCfgViewQVAPIDSettings::TCfgViewQVAPIDSettings()
    : TCfgViewParentClass(QStringLiteral("pid_settings"), offsetof(QVA_CONFIG_DATA, pid_settings)) {}

void TCfgViewQVAPIDSettings::AddChildNodes(CfgNode& node) {
  const std::pair<const char*, std::size_t> sets[] = {
      {"ntk_sensor", offsetof(QVA_PID_SETTINGS, ntk_sensor)},
      {"bosch_sensor", offsetof(QVA_PID_SETTINGS, bosch_sensor)},
      {"heater", offsetof(QVA_PID_SETTINGS, heater)},
  };
  for (const auto& [name, offset] : sets) {
    const QString label = QLatin1String(name);
    node.AddChild(label, std::make_unique<TCfgViewQVAPIDConstants>(Member(label), Offset() + offset));
  }
}

TCfgViewQVAPIDConstants::TCfgViewQVAPIDConstants(const QString& path, std::size_t offset)
    : TCfgViewClass(path, offset) {}
