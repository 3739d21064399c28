#include "dde/dde_names.h"

#include "expr/ascii.h"

namespace fenno {
namespace {

// The longest name the bus accepts.
constexpr size_t kMaxBusNameLength = 255;

bool IsNameCharacter(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c);
}

// Parses a decimal number without sign or leading zero; 0 when the text is not one.
int PlainNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 2 || digits[0] == '0') return 0;
  int value = 0;
  for (const char c : digits) {
    if (!IsAsciiDigit(c)) return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         EqualsIgnoringCase(text.substr(0, lowerPrefix.size()), lowerPrefix);
}

}  // namespace

std::string EscapeBusNameElement(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string escaped;
  escaped.reserve(text.size() + 1);
  if (!text.empty() && IsAsciiDigit(text.front())) escaped += '_';
  for (const char c : text) {
    if (IsNameCharacter(c)) {
      escaped += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    escaped += '_';
    escaped += kHex[byte >> 4];
    escaped += kHex[byte & 15];
  }
  return escaped;
}

std::optional<std::string> DdeServiceName(std::string_view application, std::string_view topic) {
  if (application.empty() || topic.empty()) return std::nullopt;
  std::string name = "dde." + EscapeBusNameElement(application) + "." + EscapeBusNameElement(topic);
  if (name.size() > kMaxBusNameLength) return std::nullopt;
  return name;
}

std::string FieldItemName(int field) {
  return "Field(" + std::to_string(field) + ")";
}

std::vector<std::string> ServedItemNames(int fieldCount) {
  std::vector<std::string> names;
  for (int field = 1; field <= fieldCount; ++field) names.push_back(FieldItemName(field));
  names.emplace_back(kDateTimeItem);
  names.emplace_back(kRecordNumberItem);
  return names;
}

std::optional<ItemRef> FindItem(std::string_view name, int fieldCount) {
  if (EqualsIgnoringCase(name, "datetime")) return ItemRef{ItemRef::Kind::DateTime};
  if (EqualsIgnoringCase(name, "recordnumber")) return ItemRef{ItemRef::Kind::RecordNumber};
  if (!StartsWithIgnoringCase(name, "field(") || name.back() != ')') return std::nullopt;
  const int field = PlainNumber(name.substr(6, name.size() - 7));
  if (field < 1 || field > fieldCount) return std::nullopt;
  return ItemRef{ItemRef::Kind::Field, field};
}

std::string ComposeLinkText(const LinkAddress& address) {
  return address.application + "|" + address.topic + "!" + address.item;
}

std::optional<LinkAddress> ParseLinkText(std::string_view text) {
  const size_t bar = text.find('|');
  if (bar == std::string_view::npos) return std::nullopt;
  LinkAddress address;
  address.application = std::string(text.substr(0, bar));
  const std::string_view rest = text.substr(bar + 1);
  const size_t bang = rest.find('!');
  address.topic = std::string(rest.substr(0, bang));
  if (bang != std::string_view::npos) address.item = std::string(rest.substr(bang + 1));
  return address;
}

}  // namespace fenno
