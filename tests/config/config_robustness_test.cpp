// Cut and overlong files of every kind: the header check and the reader must neither crash
// nor hang nor load part of a file. (Changed bytes are the config reader fuzz target's.)

#include <gtest/gtest.h>

#include "config/config_file.h"
#include "config/config_samples.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::OldLayoutFile;
using testing::RecordingPrompt;
using testing::ScratchFolder;

// A small record with texts in every raw slot that ends a section, so that any cut before
// the end of the last raw text leaves something missing.
Settings SampleSettings(const Edition& edition) {
  Settings s = Settings::Defaults(edition, "/home/ann");
  s.FieldCount = 3;
  s.RecordStructure = kDelimitedFields;
  s.FieldFormat[2] = "0.00";
  s.AckString = "\x06\r\n";
  s.StartOfRecordChars = "\x02";
  s.EndOfRecordChars = "\x03\r";
  s.ButtonString[1] = "P\r\n";
  s.FieldPostamble[1] = "{TAB}";
  s.HotKeyAction[49] = 1;
  s.HotKeyString[49] = "S\r\n";
  s.PreInputTranslation[0] = kIgnoreEntry;
  s.DDETopic = "Scale";
  s.InterCharDelay = 5;
  return s;
}

struct BaseFile {
  std::string name;
  const Edition* edition;
  std::string bytes;
  size_t completeFrom;  // every shorter cut is missing a required item
};

std::vector<BaseFile> BaseFiles() {
  std::vector<BaseFile> files;
  for (const Edition* edition : {&ComfennoEdition(), &NetfennoEdition()}) {
    const Settings s = SampleSettings(*edition);
    const size_t tail = s.DDETopic.size() + 2 + std::to_string(s.InterCharDelay).size() + 2;
    std::string current = ConfigFileBytes(s, *edition);
    std::string old = OldLayoutFile(s, *edition);
    const std::string name(edition->programName);
    files.push_back({name + " current", edition, current, current.size() - tail});
    files.push_back({name + " old", edition, old, old.size() - tail});
  }
  return files;
}

class Robustness : public ::testing::Test {
 protected:
  // Reads bytes into a record that is not the defaults, so that a partial load shows.
  ReadResult Read(const BaseFile& base, const std::string& bytes) {
    const std::string path = folder_.Write("variant.cfg", bytes);
    const bool tcp = base.edition->hasTcpSettings;
    CheckConfigHeader(path, *base.edition, tcp ? netStrings_ : comStrings_, prompt_);
    const Settings& before = tcp ? netBefore_ : comBefore_;
    Settings settings = before;
    const ReadResult result = ReadConfigFile(path, settings, *base.edition);
    if (result == ReadResult::Malformed || result == ReadResult::Unreadable) {
      EXPECT_TRUE(settings == before) << base.name << ": a refused file changed the settings";
    }
    return result;
  }

  ScratchFolder folder_;
  RecordingPrompt prompt_;
  const StringTable comStrings_{EditionKind::Comfenno, Language::English};
  const StringTable netStrings_{EditionKind::Netfenno, Language::English};
  const Settings comBefore_ = testing::RichSettings(ComfennoEdition());
  const Settings netBefore_ = testing::RichSettings(NetfennoEdition());
};

TEST_F(Robustness, EveryCutBeforeTheTailIsRefused) {
  for (const BaseFile& base : BaseFiles()) {
    std::vector<size_t> cuts;
    for (size_t cut = 0; cut < base.completeFrom; cut += cut < 80 ? 1 : 7) cuts.push_back(cut);
    for (size_t cut = base.completeFrom - 100; cut < base.completeFrom; ++cut) cuts.push_back(cut);
    for (size_t cut : cuts)
      EXPECT_EQ(Read(base, base.bytes.substr(0, cut)), ReadResult::Malformed)
          << base.name << " cut at " << cut;
    const ReadResult whole = base.name.ends_with("old") ? ReadResult::OldFileOk : ReadResult::Ok;
    for (size_t cut = base.completeFrom; cut <= base.bytes.size(); ++cut)
      EXPECT_EQ(Read(base, base.bytes.substr(0, cut)), whole) << base.name << " cut at " << cut;
  }
}

TEST_F(Robustness, HugeLengthsAreRefusedWithoutReadingOn) {
  for (const BaseFile& base : BaseFiles()) {
    // The acknowledgement's count (" 3 ") claims the largest length a file can state; in the
    // current layout it is the first of the lengths, in the old one it precedes the text.
    // (The same lines appear earlier as RecordTimeGap and the record events: the last match
    // is the count.)
    std::string bytes = base.bytes;
    const bool old = base.name.ends_with("old");
    const std::string count = old ? " 3 \r\n\x06\r\n" : " 3 \r\n 0 \r\n 0 \r\n 1 \r\n";
    const size_t at = bytes.rfind(count);
    ASSERT_NE(at, std::string::npos) << base.name;
    bytes.replace(at, 3, " 2147483647 ");
    EXPECT_EQ(Read(base, bytes), ReadResult::Malformed) << base.name;
  }
}

}  // namespace
}  // namespace fenno
