#include "dde/dde_names.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

TEST(DdeNames, BusNamesEscapeEverythingButLettersAndDigits) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"COM1", "COM1"},
      {"Lab 1", "Lab_201"},
      {"a_b", "a_5fb"},
      {"\xe9t\xe9", "_e9t_e9"},
      {std::string("\0", 1), "_00"},
      {"9", "_9"},
      {"", ""},
  };
  for (const auto& [topic, escaped] : cases)
    EXPECT_EQ(EscapeBusNameElement(topic), escaped) << topic;

  EXPECT_EQ(DdeServiceName("My App", "System"), "dde.My_20App.System");
  EXPECT_EQ(DdeServiceName("", "System"), std::nullopt);
  EXPECT_EQ(DdeServiceName("Excel", ""), std::nullopt);
  EXPECT_EQ(DdeServiceName("Excel", std::string(90, '.')), std::nullopt);  // too long a name
  EXPECT_TRUE(DdeServiceName("Excel", std::string(240, 'x')).has_value());
}

TEST(DdeNames, ItemsByNameIgnoringCase) {
  EXPECT_EQ(ServedItemNames(2),
            (std::vector<std::string>{"Field(1)", "Field(2)", "DateTime", "RecordNumber"}));
  const std::vector<std::pair<std::string, int>> fields = {
      {"Field(1)", 1}, {"FIELD(3)", 3},  {"field(40)", 40}, {"Field(41)", 0},
      {"Field(0)", 0}, {"Field(04)", 0}, {"Field(4)", 0},   {"Field()", 0},
      {"Field(1", 0},  {"Field(1))", 0}, {"Field( 1)", 0},  {"Fields(1)", 0}};
  for (const auto& [name, field] : fields) {
    const int count = name == "field(40)" ? 40 : 3;
    const std::optional<ItemRef> item = FindItem(name, count);
    EXPECT_EQ(item ? item->field : 0, field) << name;
  }
  EXPECT_EQ(FindItem("recordnumber", 1)->kind, ItemRef::Kind::RecordNumber);
  EXPECT_EQ(FindItem("DATETIME", 1)->kind, ItemRef::Kind::DateTime);
  EXPECT_FALSE(FindItem("Date", 1));
}

TEST(DdeNames, LinkTexts) {
  struct Case {
    std::string text;
    std::optional<std::tuple<std::string, std::string, std::string>> link;
  };
  const std::vector<Case> cases = {
      {"Comfenno|COM1!Field(1)", {{"Comfenno", "COM1", "Field(1)"}}},
      {"Sheet|Lab", {{"Sheet", "Lab", ""}}},  // without "!", the rest is the topic
      {"|!", {{"", "", ""}}},
      {"A!x|T!I!J", {{"A!x", "T", "I!J"}}},
      {"A|B|C!D", {{"A", "B|C", "D"}}},
      {"no link here", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<LinkAddress> parsed = ParseLinkText(c.text);
    ASSERT_EQ(parsed.has_value(), c.link.has_value()) << c.text;
    if (!parsed) continue;
    EXPECT_EQ(std::tie(parsed->application, parsed->topic, parsed->item), *c.link) << c.text;
  }
  EXPECT_EQ(ComposeLinkText({"Netfenno", "10.0.0.5", "RecordNumber"}),
            "Netfenno|10.0.0.5!RecordNumber");
}

}  // namespace
}  // namespace fenno
