#include <cstring>

#include <gtest/gtest.h>

#include "support/qtprinters.h"
#include "viewer/cfgviewer.h"
#include "viewertestsupport.h"

namespace {

class ConfigViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { SetViewerHexMode(false); }

  void Show(const char* path) {
    const CfgNode* node = NodeAt(viewer.Root(), QString::fromLatin1(path));
    ASSERT_NE(node, nullptr) << path;
    viewer.ShowNode(node);
  }
  TCfgGrid& Grid() { return viewer.Grid(); }
  QStringList Column(int column) {
    QStringList texts;
    for (int row = 0; row < Grid().rowCount(); ++row) texts << Grid().Text(column, row);
    return texts;
  }
  // The record offset of a value cell.
  std::size_t OffsetAt(int column, int row) { return DescriptorOffset(Grid().Descriptor(column, row)); }
  // Types into a value cell and leaves it.
  void Type(int column, int row, const QString& text) {
    Grid().setData(Grid().index(row, column), text, Qt::EditRole);
    viewer.Commit();
  }

  QVA_CONFIG_DATA config = MakeBlankConfig();
  BeepCountingPrompter prompter;
  ConfigViewer viewer{config, prompter};
};

void Outline(const CfgNode& node, const QString& indent, QStringList& lines) {
  lines << indent + node.Label() + (node.View() != nullptr ? QString() : QStringLiteral(" (plain)"));
  for (const auto& child : node.Children()) Outline(*child, indent + QStringLiteral("  "), lines);
}

TEST_F(ConfigViewerTest, TreeShowsTheSectionsInRecordOrder) {
  QStringList lines;
  Outline(viewer.Root(), QString(), lines);
  const QStringList expected = {
      "Config",
      "  can_message_config (plain)",
      "    0",
      "    1",
      "    2",
      "    3",
      "  display_config",
      "  output_table (plain)",
      "    0",
      "      values",
      "    1",
      "      values",
      "  analog_out_table",
      "    values",
      "  user_cal_table",
      "    values",
      "  pid_settings",
      "    ntk_sensor",
      "    bosch_sensor",
      "    heater",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(ConfigViewerTest, NameValuePagesListTheirFieldsAtTheirOffsets) {
  struct Page {
    const char* path;
    QStringList names;
    std::vector<std::size_t> offsets;
  };
  const Page pages[] = {
      {"",
       {"version", "cfg_crc16", "sensor_type", "can_bit_rate", "can_output_to_send", "user_cal_resistor",
        "sensor_pid_rate", "heater_pid_rate", "sensor_cal_method", "dig_input_mode[0]", "dig_input_mode[1]",
        "activate_mode", "rpm_pulses_per_rev", "ntk_heater_voltage"},
       {0, 2, 4, 5, 6, 640, 642, 643, 644, 647, 648, 649, 650, 651}},
      {"can_message_config/3",
       {"IDR0", "IDR1", "IDR2", "IDR3", "message_rate", "compound_id"},
       {37, 38, 39, 40, 41, 42}},
      {"display_config",
       {"output_to_display", "filter_time", "update_rate", "backlight_intensity"},
       {47, 49, 50, 51}},
      {"output_table/1", {"output_name", "num_rows", "decimal_places"}, {205, 221, 350}},
      {"analog_out_table",
       {"out_function", "out_table_index", "num_rows", "default_output"},
       {354, 355, 356, 485}},
      {"user_cal_table", {"num_rows"}, {489}},
      {"pid_settings/bosch_sensor", {"p", "i", "d"}, {628, 630, 632}},
  };
  for (const Page& page : pages) {
    Show(page.path);
    EXPECT_EQ(Column(0), page.names) << page.path;
    std::vector<std::size_t> offsets;
    for (int row = 0; row < Grid().rowCount(); ++row) offsets.push_back(OffsetAt(1, row));
    EXPECT_EQ(offsets, page.offsets) << page.path;
    EXPECT_EQ(Grid().columnCount(), 2) << page.path;
    EXPECT_EQ(Grid().Settings().fixedColumns, 1) << page.path;
    EXPECT_EQ(Grid().Settings().fixedRows, 0) << page.path;
    EXPECT_EQ(Grid().Settings().defaultColumnWidth, 160) << page.path;
    EXPECT_EQ(Grid().Settings().scrollBars, TCfgGrid::ScrollBars::Vertical) << page.path;
    EXPECT_TRUE(Grid().Settings().editing) << page.path;
    EXPECT_TRUE(Grid().Settings().enabled) << page.path;
  }
}

TEST_F(ConfigViewerTest, FieldKindsFollowTheRecord) {
  Show("");
  EXPECT_EQ(DescriptorKind(Grid().Descriptor(1, 0)), CellKind::UInt16);  // version
  EXPECT_EQ(DescriptorKind(Grid().Descriptor(1, 2)), CellKind::UInt8);   // sensor_type
  EXPECT_EQ(Grid().Descriptor(0, 0), 0u) << "names are not values";
  Show("analog_out_table");
  EXPECT_EQ(DescriptorKind(Grid().Descriptor(1, 3)), CellKind::Int16);  // default_output
  Show("output_table/0");
  EXPECT_EQ(Grid().Descriptor(1, 0), MakeCellDescriptor(CellKind::Text, 56, 16));
}

TEST_F(ConfigViewerTest, TablePagesShowThirtyTwoPairsUnderTheirEntryNumbers) {
  config.output_table[1].values[0] = {-5, 7};
  config.output_table[1].values[31] = {300, -32768};
  Show("output_table/1/values");
  ASSERT_EQ(Grid().columnCount(), 33);
  ASSERT_EQ(Grid().rowCount(), 3);
  EXPECT_EQ(Column(0), (QStringList{" ", "0", "1"}));
  QStringList header;
  for (int column = 1; column < 33; ++column) header << Grid().Text(column, 0);
  EXPECT_EQ(header.first(), QStringLiteral("0"));
  EXPECT_EQ(header.last(), QStringLiteral("31"));
  EXPECT_EQ(Grid().Text(1, 1), QStringLiteral("-5"));
  EXPECT_EQ(Grid().Text(1, 2), QStringLiteral("7"));
  EXPECT_EQ(Grid().Text(32, 1), QStringLiteral("300"));
  EXPECT_EQ(Grid().Text(32, 2), QStringLiteral("-32768"));
  EXPECT_EQ(OffsetAt(1, 1), 222u);
  EXPECT_EQ(OffsetAt(32, 2), 222u + 31 * 4 + 2);
  EXPECT_EQ(DescriptorKind(Grid().Descriptor(5, 2)), CellKind::Int16);
  EXPECT_EQ(Grid().Settings().fixedRows, 1);
  EXPECT_EQ(Grid().Settings().fixedColumns, 1);
  EXPECT_EQ(Grid().Settings().defaultColumnWidth, 50);
  EXPECT_EQ(Grid().Settings().scrollBars, TCfgGrid::ScrollBars::Both);
  EXPECT_TRUE(Grid().IsFixed(3, 0));
  EXPECT_FALSE(Grid().IsFixed(3, 1));

  // The other tables start at their own offsets.
  Show("analog_out_table/values");
  EXPECT_EQ(OffsetAt(1, 1), 357u);
  Show("user_cal_table/values");
  EXPECT_EQ(OffsetAt(1, 1), 490u);
  EXPECT_EQ(OffsetAt(32, 2), 490u + 31 * 4 + 2);
}

TEST_F(ConfigViewerTest, PlainNodesShowNoDetailsAndAllowNoEditing) {
  for (const char* path : {"can_message_config", "output_table"}) {
    Show(path);
    EXPECT_EQ(Grid().columnCount(), 1) << path;
    EXPECT_EQ(Grid().rowCount(), 1) << path;
    EXPECT_EQ(Grid().Text(0, 0), QStringLiteral("No details for this item.")) << path;
    EXPECT_FALSE(Grid().Settings().enabled) << path;
    EXPECT_FALSE(Grid().Settings().editing) << path;
    EXPECT_FALSE(Grid().flags(Grid().index(0, 0)) & Qt::ItemIsEditable) << path;
  }
  viewer.ShowNode(nullptr);
  EXPECT_EQ(Grid().Text(0, 0), QStringLiteral("No details for this item."));
}

TEST_F(ConfigViewerTest, PidSettingsShowAnEmptyEditableList) {
  Show("pid_settings/heater");  // a longer page first: none of it stays
  Show("pid_settings");
  EXPECT_TRUE(Grid().Settings().enabled);
  EXPECT_TRUE(Grid().Settings().editing);
  EXPECT_EQ(Grid().columnCount(), 2);
  for (int row = 0; row < Grid().rowCount(); ++row) {
    EXPECT_EQ(Grid().Text(0, row), QString()) << row;
    EXPECT_EQ(Grid().Text(1, row), QString()) << row;
    EXPECT_EQ(Grid().Descriptor(1, row), 0u) << row;
  }
}

TEST_F(ConfigViewerTest, CommitStoresValidCellsAndRestoresRefusedOnes) {
  config.output_table[0].num_rows = 5;
  Show("output_table/0");
  struct Case {
    const char* typed;
    int stored;
    const char* shown;
    int beeps;
  };
  const Case cases[] = {
      {"256", 5, "5", 1}, {"0x20", 32, "32", 0}, {"010", 8, "8", 0}, {"abc", 8, "8", 1}, {"", 0, "0", 0},
  };
  for (const Case& c : cases) {
    prompter.beeps = 0;
    Type(1, 1, QString::fromLatin1(c.typed));
    EXPECT_EQ(config.output_table[0].num_rows, c.stored) << c.typed;
    EXPECT_EQ(Grid().Text(1, 1), QString::fromLatin1(c.shown)) << c.typed;
    EXPECT_EQ(prompter.beeps, c.beeps) << c.typed;
  }
}

TEST_F(ConfigViewerTest, CommitLeavesCellsThatStillShowTheStoredValue) {
  // A name with a blank and bytes after its terminator, as a file may hold.
  std::memcpy(config.output_table[1].output_name, "AFR \0junk\0\0\0\0\0\0", 16);
  const QVA_CONFIG_DATA before = config;
  Show("output_table/1");
  viewer.Commit();
  SetViewerHexMode(true);
  viewer.SetHexMode(false);
  EXPECT_TRUE(ConfigsEqual(config, before));
  EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(ConfigViewerTest, HexModeIsOneSettingForTheWholeRun) {
  config.analog_out_table.default_output = -1;
  Show("");
  viewer.SetHexMode(true);
  EXPECT_EQ(Grid().Text(1, 0), QStringLiteral("0x006E"));
  EXPECT_TRUE(ViewerHexMode());

  ConfigViewer later(config, prompter);
  later.ShowNode(NodeAt(later.Root(), QStringLiteral("analog_out_table")));
  EXPECT_EQ(later.Grid().Text(1, 3), QStringLiteral("0xFFFF"));
  later.SetHexMode(false);
  EXPECT_EQ(later.Grid().Text(1, 3), QStringLiteral("-1"));
}

TEST_F(ConfigViewerTest, SwitchingTheModeCommitsFirst) {
  Show("pid_settings/ntk_sensor");
  Grid().setData(Grid().index(0, 1), QStringLiteral("0x7FFF"), Qt::EditRole);
  viewer.SetHexMode(true);
  EXPECT_EQ(config.pid_settings.ntk_sensor.p, 32767);
  EXPECT_EQ(Grid().Text(1, 0), QStringLiteral("0x7FFF"));
  // In hexadecimal a 16-bit pattern above 0x7FFF is out of a signed range.
  Type(1, 1, QStringLiteral("0x8000"));
  EXPECT_EQ(prompter.beeps, 1);
  EXPECT_EQ(config.pid_settings.ntk_sensor.i, 0);
  EXPECT_EQ(Grid().Text(1, 1), QStringLiteral("0x0000"));
}

TEST_F(ConfigViewerTest, TextCellsRefuseCharactersOutsideLatin1) {
  std::strcpy(config.output_table[0].output_name, "Lambda");
  Show("output_table/0");
  Type(1, 0, QStringLiteral("\u03BB"));
  EXPECT_EQ(prompter.beeps, 1);
  EXPECT_STREQ(config.output_table[0].output_name, "Lambda");
  EXPECT_EQ(Grid().Text(1, 0), QStringLiteral("Lambda"));
}

}  // namespace
