#include "config/setup_files.h"

#include <unistd.h>

#include <filesystem>

#include "config/config_file.h"
#include "config/setup_rules.h"
#include "config/setup_text_ids.h"

namespace fenno {

DialogCheck CheckLogFolder(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error))
    return DialogCheck::Refuse(str::kLogFolderMissing, str::kLogFolderTitle, {}, {folder});
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return DialogCheck::Refuse(str::kLogFolderNotWritable, str::kLogFolderTitle, {}, {folder});
  return DialogCheck::Accept();
}

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

// A file in a folder that is missing or closed to the user would only fail at the first
// record, in the middle of a run; it is named now and the dialog opens again on it.
bool SetupFiles::ChooseLogFile() {
  FileRequest request;
  request.kind = FileRequest::Kind::Save;
  request.title = c_.strings.Text(str::kLogFileTitle);
  request.filter = c_.strings.Text(str::kLogFileFilter);
  request.initialPath = c_.settings.LogFilePath;
  for (;;) {
    const std::optional<std::string> chosen = c_.prompt.ChooseFile(request);
    if (!chosen || chosen->empty()) return false;
    const DialogCheck check = CheckLogFolder(*chosen);
    if (check.Accepted()) {
      c_.working.ConfigModified |= StoreLogFileChoice(*chosen, c_.settings);
      return true;
    }
    c_.prompt.Beep();
    c_.prompt.Show({c_.strings.Format(check.message, {check.arguments.front()}),
                    c_.strings.Text(check.title), PromptButtons::Ok, PromptIcon::Exclamation});
    request.initialPath = *chosen;
  }
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
