#include "config/setup_files.h"

#include "config/config_file.h"
#include "config/setup_rules.h"
#include "config/setup_text_ids.h"

namespace fenno {

bool SetupFiles::AskToSave() {
  saveCancelled_ = false;
  if (c_.working.SkipSavePrompt || !c_.working.ConfigModified) return true;
  const int question =
      c_.working.ConfigLoaded ? str::kSaveChangedFile : str::kSaveCurrentConfiguration;
  const PromptAnswer answer =
      c_.prompt.Show({c_.strings.Text(question), std::string(c_.edition.questionTitle),
                      PromptButtons::YesNoCancel, PromptIcon::Question});
  if (answer == PromptAnswer::Yes)
    saveCancelled_ = !Save();
  else if (answer != PromptAnswer::No)
    saveCancelled_ = true;
  return !saveCancelled_;
}

bool SetupFiles::New() {
  if (!AskToSave()) return false;
  c_.working.ConfigFileName.clear();
  Load();
  return true;
}

bool SetupFiles::Open() {
  if (!AskToSave()) return false;
  const std::optional<std::string> chosen = c_.prompt.ChooseFile(OpenRequest());
  if (!chosen || chosen->empty()) return false;
  c_.working.ConfigFileName = *chosen;
  c_.recentFiles.Add(*chosen);
  Load();
  return true;
}

bool SetupFiles::OpenRecent(size_t index) {
  if (index >= c_.recentFiles.entries().size()) return false;
  // Taken first: saving under the question may put another name at the top.
  const std::string path = c_.recentFiles.entries()[index];
  if (!AskToSave()) return false;
  c_.working.ConfigFileName = path;
  c_.recentFiles.Add(path);
  Load();
  return true;
}

bool SetupFiles::Save() {
  if (c_.working.ConfigFileName.empty()) return SaveAs();
  if (!WriteConfigFile(c_.working.ConfigFileName, c_.settings, c_.edition, c_.strings, c_.prompt))
    return false;
  c_.working.ConfigModified = false;
  return true;
}

bool SetupFiles::SaveAs() {
  const std::optional<std::string> chosen = c_.prompt.ChooseFile(SaveAsRequest());
  if (!chosen || chosen->empty()) {
    saveCancelled_ = true;
    return false;
  }
  const std::string path = WithDefaultExtension(*chosen, c_.edition.configExtension);
  if (!WriteConfigFile(path, c_.settings, c_.edition, c_.strings, c_.prompt)) return false;
  c_.working.ConfigFileName = path;
  c_.working.ConfigLoaded = true;
  c_.working.ConfigModified = false;
  c_.recentFiles.Add(path);
  return true;
}

bool SetupFiles::ChooseLogFile() {
  FileRequest request;
  request.kind = FileRequest::Kind::Save;
  request.title = c_.strings.Text(str::kLogFileTitle);
  request.filter = c_.strings.Text(str::kLogFileFilter);
  request.initialPath = c_.settings.LogFilePath;
  const std::optional<std::string> chosen = c_.prompt.ChooseFile(request);
  if (!chosen || chosen->empty()) return false;
  c_.working.ConfigModified |= StoreLogFileChoice(*chosen, c_.settings);
  return true;
}

LoadOutcome SetupFiles::Load() {
  const std::string path = c_.working.ConfigFileName;
  const LoadOutcome outcome =
      LoadConfiguration(c_.settings, c_.working, c_.edition, c_.strings, c_.prompt, c_.homeFolder);
  if (outcome == LoadOutcome::NotReadable) {
    c_.prompt.Show({c_.strings.Format(str::kConfigNotReadable, {path}),
                    std::string(c_.edition.programName), PromptButtons::Ok,
                    PromptIcon::Exclamation});
  }
  return outcome;
}

FileRequest SetupFiles::OpenRequest() const {
  FileRequest request;
  request.kind = FileRequest::Kind::Open;
  request.title = c_.strings.Text(str::kOpenConfigTitle);
  request.filter = c_.strings.Text(str::kConfigFileFilter);
  request.initialPath = c_.working.ConfigFileName;
  return request;
}

FileRequest SetupFiles::SaveAsRequest() const {
  FileRequest request = OpenRequest();
  request.kind = FileRequest::Kind::Save;
  request.title = c_.strings.Text(str::kSaveConfigAsTitle);
  request.defaultExtension = std::string(c_.edition.configExtension);
  return request;
}

}  // namespace fenno
