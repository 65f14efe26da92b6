// The property store, the button's properties, and loading and saving its
// stored property set.
#include <gtest/gtest.h>

#include "controls/command_fixture.h"

namespace tolvarin::testing {
namespace {

// A write in another case replaces the key, or removes it when the value
// equals its default. The plain cases (a number against "0" or "1", equal
// booleans, texts and fonts) show in the button's saving table; reading in
// another case and absent keys, in loading the button.
TEST(PropertyBag, AWriteEqualToItsDefaultStoresNothing) {
  struct Row {
    PropertyValue value, defaultValue;
    bool stored;
  };
  const Row rows[] = {
      {2.0, std::string("1"), true},           {-1.0, std::string("-1"), false},
      {1.0, std::string(" 1 "), false},        {1.0, std::string("1.0"), false},
      {1.0, std::string("one"), true},         {1.0, std::string(""), true},
      {std::string("command"), std::string("Command"), true},
      {std::string("1"), 1.0, false},          {true, std::string("True"), true},
  };
  for (const Row& row : rows) {
    PropertyBag bag{{"Key", std::string("before")}};
    bag.WriteProperty("KEY", row.value, row.defaultValue);
    EXPECT_EQ(bag.size(), row.stored ? 1u : 0u) << row.value.index() << " vs " << row.defaultValue.index();
    if (row.stored) {
      EXPECT_EQ(bag.ReadProperty("Key", std::string()), row.value);
    }
  }
}

// Values as text show in the saving table.
TEST(PropertyBag, ConversionsToTheTargetTypes) {
  EXPECT_EQ(ToBoolean(std::string("True")), true);
  EXPECT_EQ(ToBoolean(std::string(" false ")), false);
  EXPECT_EQ(ToBoolean(std::string("-1")), true);
  EXPECT_EQ(ToBoolean(0.0), false);
  EXPECT_EQ(ToBoolean(std::string("yes")), std::nullopt);
  EXPECT_EQ(ToBoolean(CommandDesignFont()), std::nullopt);
  EXPECT_EQ(ToByte(std::string("255")), 255);
  EXPECT_EQ(ToByte(std::string("256")), std::nullopt);
  EXPECT_EQ(ToByte(-0.4), 0);
  EXPECT_EQ(ToByte(2.5), 2) << "half to even";
  EXPECT_EQ(ToByte(3.5), 4);
  EXPECT_EQ(ToInt16(std::string("-32768")), -32768);
  EXPECT_EQ(ToInt16(std::string("32768")), std::nullopt);
  EXPECT_EQ(ToInt32(std::string("2147483647")), 2147483647);
  EXPECT_EQ(ToInt32(std::string("1e10")), std::nullopt);
  EXPECT_EQ(ToInt32(std::string("0x10")), std::nullopt);
  EXPECT_EQ(ToInt32(std::string("nan")), std::nullopt);
  EXPECT_EQ(ToInt32(true), -1);
}

class CommandPropertiesTest : public CommandTest {};

TEST_F(CommandPropertiesTest, LoadingTableWithBadAndMissingValues) {
  const FontSpec big{"Arial", 12, 700, false, false, false, 0};
  struct Row {
    const char* name;
    PropertyBag set;
    bool enabled;
    std::string caption;
    std::string fontName;
    std::uint8_t firstRun;
    std::uint32_t colour;
    std::uint8_t visible;
  };
  const Row rows[] = {
      {"empty set", {}, true, "Command1", "ＭＳ Ｐゴシック", 1, 0, 255},
      {"everything stored",
       {{"enabled", false}, {"CAPTION", std::string("音楽CD")}, {"Font", big}, {"FirstRun", 0.0},
        {"FontColour", 255.0}, {"Visible", 0.0}},
       false, "音楽CD", "Arial", 0, 255, 0},
      {"values as text", {{"Enabled", std::string("False")}, {"FontColour", std::string("65280")}, {"Visible", std::string("1")}},
       false, "Command1", "ＭＳ Ｐゴシック", 1, 0xFF00, 255},
      {"values that do not convert keep the design",
       {{"Enabled", std::string("maybe")}, {"Font", std::string("Arial")}, {"FirstRun", 300.0},
        {"FontColour", std::string("red")}, {"Visible", 2.0}},
       false, "Command1", "ＭＳ Ｐゴシック", 0, 0, 255},
      {"a refused colour keeps black", {{"FontColour", double(0x80000050)}}, true, "Command1", "ＭＳ Ｐゴシック", 1, 0, 255},
      {"a system colour", {{"FontColour", -2147483630.0}}, true, "Command1", "ＭＳ Ｐゴシック", 1, 0x80000012, 255},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Command button(sim.platform(), *form);
    button.UserControl_ReadProperties(row.set);
    button.Move(300, 300, 1155, 375);
    // Read the fields before a property read runs the first-run set-up.
    EXPECT_EQ(button.FirstRun(), row.firstRun);
    EXPECT_EQ(button.LblMsg().Caption(), row.caption);
    EXPECT_EQ(sim.desktop.Find(button.hWnd())->title, row.caption) << "the name screen readers announce";
    EXPECT_EQ(button.LblMsg().Font().name, row.fontName);
    EXPECT_EQ(button.LblMsg().Font().size, 9.75);
    EXPECT_EQ(button.LblMsg().Font().weight, 400);
    EXPECT_EQ(button.LblMsg().Font().charset, 128);
    EXPECT_EQ(button.LblMsg().ForeColor(), row.colour);
    EXPECT_EQ(button.surface().GetBackStyle() == BackStyle::Opaque ? 255 : 0, row.visible);
    if (row.firstRun == 1) {
      EXPECT_EQ(button.Enabled(), row.enabled);
    }
  }
}

// What loading makes of the values written is the loading table's.
TEST_F(CommandPropertiesTest, SavingTable) {
  struct Row {
    const char* name;
    void (*prepare)(Command&);
    std::vector<std::string> written;
  };
  const Row rows[] = {
      {"design values and caption exactly Command: only the font", [](Command&) {}, {"Font=ＭＳ Ｐゴシック"}},
      {"caption Command1 is written", [](Command& c) { c.SetCaption("Command1"); },
       {"Caption=Command1", "Font=ＭＳ Ｐゴシック"}},
      {"disabled, coloured, transparent",
       [](Command& c) {
         c.SetEnabled(false);
         c.SetFontColour(0x00FF8000);
         c.SetVisible(0);
       },
       {"Enabled=False", "Font=ＭＳ Ｐゴシック", "FontColour=16744448", "Visible=0"}},
      {"the ambient font is not written", [](Command& c) { c.ambientFont = FontSpec{"ＭＳ Ｐゴシック", 9, 400, false, false, false, 1}; },
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Command& button = Place();
    button.SetCaption("Command");
    row.prepare(button);
    button.SetFont(FontSpec{"ＭＳ Ｐゴシック", 9, 400, false, false, false, 1});
    PropertyBag bag;
    button.UserControl_WriteProperties(bag);
    std::vector<std::string> written;
    for (const std::string key : {"Caption", "Enabled", "FirstRun", "Font", "FontColour", "Visible"})
      if (bag.Contains(key)) written.push_back(key + "=" + *ToText(bag.ReadProperty(key, std::string())));
    EXPECT_EQ(written, row.written);
  }
}

TEST_F(CommandPropertiesTest, AFreshInstanceIsSetUpByItsFirstEnabledRead) {
  Command button(sim.platform(), *form);
  button.Move(300, 300, 1155, 375);
  EXPECT_EQ(button.FirstRun(), 0);
  EXPECT_EQ(Surface(button).bitmap, Face(button, FacePicture::Disable, false)) << "sized while disabled";
  button.LblMsg().SetForeColor(0x0000FF);
  EXPECT_FALSE(button.Enabled());
  EXPECT_EQ(button.FirstRun(), 0) << "the plain getter sets nothing up";
  EXPECT_TRUE(button.ReadEnabled());
  EXPECT_EQ(Surface(button).bitmap, Face(button, FacePicture::Normal, false));
  EXPECT_EQ(button.LblMsg().ForeColor(), 0x0000FFu) << "the set-up's refresh ran while still disabled";
  // A set-up instance's RefreshFace leaves the colour alone.
  button.SetFontColour(0x00FF00);
  EXPECT_EQ(button.LblMsg().ForeColor(), 0x00FF00u);
}

TEST_F(CommandPropertiesTest, PropertiesNotifyAndRepaintAsTheirTableSays) {
  Command& button = Place();
  std::vector<std::string> notified;
  button.PropertyChanged = [&](const std::string& name) { notified.push_back(name); };
  button.Initialize();
  button.UserControl_MouseMove(0, 0, 0, 0);  // hovered: HighLight
  auto refreshes = Surface(button).refreshCount;

  button.SetCaption("ｷｬﾝｾﾙ");
  EXPECT_EQ(sim.desktop.Find(button.hWnd())->title, "ｷｬﾝｾﾙ");
  FontSpec font = CommandDesignFont();
  font.size = 12;
  button.SetFont(font);
  EXPECT_EQ(Surface(button).refreshCount, refreshes) << "caption and font repaint nothing";

  EXPECT_EQ(button.Visible(), 255);
  EXPECT_EQ(button.FontColour(), 0u);
  EXPECT_TRUE(button.Enabled());
  EXPECT_EQ(Surface(button).refreshCount, refreshes) << "the plain getters repaint nothing";
  EXPECT_EQ(button.ReadVisible(), 255);
  EXPECT_EQ(Surface(button).bitmap, Face(button, FacePicture::Normal, true)) << "a read repaints Normal";
  EXPECT_EQ(button.State(), CommandState::Hover);
  button.SetVisible(1);
  button.SetVisible(0);
  EXPECT_EQ(button.Visible(), 0);
  button.SetVisible(7);
  EXPECT_EQ(button.Visible(), 255);
  button.SetFontColour(0x0000FF);
  button.SetFontColour(0x80000050);  // refused: no notification
  EXPECT_EQ(button.LblMsg().ForeColor(), 0x0000FFu);
  button.SetEnabled(false);  // still hovered
  EXPECT_EQ(Surface(button).bitmap, Face(button, FacePicture::Disable, true));
  EXPECT_FALSE(button.LblMsg().Enabled());
  // Disabled: a new colour reaches the caption without a repaint.
  refreshes = Surface(button).refreshCount;
  button.SetFontColour(0x00FF00);
  EXPECT_EQ(button.LblMsg().ForeColor(), 0x00FF00u);
  EXPECT_EQ(Surface(button).refreshCount, refreshes);
  EXPECT_EQ(notified, (std::vector<std::string>{"Caption", "Font", "Visible", "Visible", "Visible", "FontColour",
                                                "Enabled", "FontColour"}));
}

TEST_F(CommandPropertiesTest, AFailingRefreshStepTurnsTheCaptionBlackAndGoesOn) {
  Command& button = Place();
  button.Initialize();
  button.UserControl_MouseMove(0, 0, 0, 0);
  button.SetFontColour(0x00FF00);
  Surface(button).windowless.failNextInvalidate = true;
  button.RefreshFace();
  EXPECT_EQ(button.LblMsg().ForeColor(), 0u);
  EXPECT_EQ(Surface(button).bitmap, Face(button, FacePicture::Normal, true)) << "the draw still ran";
  // Reading FontColour gives the colour and refreshes even so.
  button.LblMsg().SetForeColor(0x00FF00);
  Surface(button).windowless.failNextInvalidate = true;
  EXPECT_EQ(button.ReadFontColour(), 0x00FF00u);
  EXPECT_EQ(button.LblMsg().ForeColor(), 0u);
}

}  // namespace
}  // namespace tolvarin::testing
