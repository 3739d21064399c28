#include "dde/dbus_live_data.h"

#include "dde/dde_text_ids.h"

namespace fenno {

LiveData::LiveData(const Edition& edition, Settings& settings, const StringTable& strings,
                   Prompt& prompt, QDBusConnection connection, Clipboard* clipboard)
    : edition_(edition),
      settings_(settings),
      strings_(strings),
      prompt_(prompt),
      connection_(std::move(connection)),
      clipboard_(clipboard) {
  if (!connection_.isConnected()) return;
  client_ = std::make_unique<DbusCommandClient>(connection_);
  // The links exist before the engine (it is given them); their values reach the engine
  // and the command language once they are attached.
  links_ = std::make_unique<DbusLinks>(
      connection_, settings_, edition_, strings_, prompt_,
      DbusLinks::Sinks{[this](const std::string& command) {
                         if (commands_) commands_->Execute(command);
                       },
                       [this](std::string value) {
                         if (engine_) engine_->OutputBufferChanged(std::move(value));
                       }});
}

LiveData::~LiveData() = default;

void LiveData::Attach(Engine& engine, WorkingValues& working, const Clock& clock,
                      const RegionalSettings& regional) {
  engine_ = &engine;
  const std::string topic = engine.ServerTopic();
  menu_ = std::make_unique<LinkMenu>(engine.settings(), clipboard_, links_.get(),
                                     LinkMenu::Requests{[&engine] { engine.RequestCommandLink(); },
                                                        [&engine] { engine.RequestBufferLink(); }},
                                     std::string(edition_.programName), topic);
  commands_ = std::make_unique<CommandLanguage>(
      CommandServices{engine, edition_, clock, regional, strings_, prompt_, working, menu_.get()});
  server_ = std::make_unique<DbusServer>(
      connection_, engine, [this](std::string_view command) { return commands_->Execute(command); },
      edition_.programName, topic);
  engine.AddObserver(server_.get());
  if (!server_->Start()) ReportServerProblem();
}

void LiveData::ReportServerProblem() const {
  const std::string title(edition_.programName);
  if (!connection_.isConnected()) {
    if (settings_.OutputMethod == kDdeServer)
      prompt_.Show({strings_.Text(str::kSessionBusMissing), title, PromptButtons::Ok,
                    PromptIcon::Exclamation});
    return;
  }
  if (server_->ServiceName().empty()) {
    prompt_.Show({strings_.Format(str::kTopicTooLong, {server_->Topic()}), title, PromptButtons::Ok,
                  PromptIcon::Exclamation});
    return;
  }
  prompt_.Show(
      {strings_.Format(str::kTopicAlreadyServed, {server_->Topic(), server_->ServiceName()}), title,
       PromptButtons::Ok, PromptIcon::Exclamation});
}

}  // namespace fenno
