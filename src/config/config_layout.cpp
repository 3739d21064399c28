#include "config/config_layout.h"

namespace fenno {

std::string ItemNameText(const ItemName& name) {
  std::string text(name.base);
  if (name.index >= 0) text += "(" + std::to_string(name.index) + ")";
  return text;
}

}  // namespace fenno
