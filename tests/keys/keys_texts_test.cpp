#include <gtest/gtest.h>

#include "keys/keys_text_ids.h"
#include "base/string_table.h"

namespace fenno {
namespace {

TEST(KeysTexts, EveryMessageExistsInEveryLanguageOfBothPrograms) {
  for (EditionKind edition : {EditionKind::Comfenno, EditionKind::Netfenno}) {
    for (Language language : {Language::English, Language::German, Language::Japanese}) {
      const StringTable texts(edition, language);
      for (int number = str::kCannotRunProgram; number <= str::kEmptyCommandLine; ++number)
        EXPECT_TRUE(texts.Has(number)) << number << " " << LanguageCode(language);
    }
  }
  EXPECT_EQ(StringTable(EditionKind::Netfenno, Language::English).Text(str::kComfennoErrorTitle),
            "Comfenno Error");
}

}  // namespace
}  // namespace fenno
