#pragma once

// Names of the live-data interface: the session-bus name of a program's topic, the item
// names it serves, and the link text ("App|Topic!Item") that the clipboard carries.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fenno {

// One element of a bus name: every byte outside A-Z, a-z, 0-9 becomes "_" and two
// lower-case hex digits; a result that begins with a digit gets a leading "_".
// "COM1" stays "COM1", "10.0.0.5" becomes "_10_2e0_2e0_2e5".
std::string EscapeBusNameElement(std::string_view text);

// "dde.<application>.<topic>", both escaped; nullopt when either is empty or the name
// would be longer than a bus name may be.
std::optional<std::string> DdeServiceName(std::string_view application, std::string_view topic);

// The item names of the server: "Field(1)" .. "Field(fieldCount)", "DateTime" and
// "RecordNumber".
inline constexpr std::string_view kDateTimeItem = "DateTime";
inline constexpr std::string_view kRecordNumberItem = "RecordNumber";
std::string FieldItemName(int field);
std::vector<std::string> ServedItemNames(int fieldCount);

// Which box an item name stands for (letter case ignored); nullopt for a name that is
// not served with this many fields.
struct ItemRef {
  enum class Kind { Field, DateTime, RecordNumber } kind;
  int field = 0;  // 1..fieldCount for Kind::Field
};
std::optional<ItemRef> FindItem(std::string_view name, int fieldCount);

// An item of another program, as a link names it.
struct LinkAddress {
  std::string application;
  std::string topic;
  std::string item;
};

// "App|Topic!Item".
std::string ComposeLinkText(const LinkAddress& address);
// The application is what comes before the first "|"; then the topic runs up to the
// first "!" after it and the item is the rest, or, without a "!", the topic is all the
// rest and the item is empty. nullopt for a text without "|".
std::optional<LinkAddress> ParseLinkText(std::string_view text);

}  // namespace fenno
