#include "platform/auto_play.h"

#include <string>
#include <vector>

#include "platform/process.h"

namespace sonvarek {
namespace {

const char kSchema[] = "org.gnome.desktop.media-handling";
const char kKey[] = "autorun-never";

}  // namespace

std::optional<bool> GsettingsAutoRunSetting::ReadNever() {
  std::optional<std::string> output = RunAndCapture({"gsettings", "get", kSchema, kKey});
  if (!output) return std::nullopt;
  while (!output->empty() && (output->back() == '\n' || output->back() == ' ')) output->pop_back();
  if (*output == "true") return true;
  if (*output == "false") return false;
  return std::nullopt;
}

bool GsettingsAutoRunSetting::WriteNever(bool never) {
  return RunAndCapture({"gsettings", "set", kSchema, kKey, never ? "true" : "false"}).has_value();
}

void AutoPlaySwitch::Start(bool disableAutoPlay) {
  saved_ = setting_.ReadNever();
  if (saved_ && disableAutoPlay) setting_.WriteNever(true);
}

void AutoPlaySwitch::Apply(bool disableAutoPlay) {
  if (saved_) setting_.WriteNever(disableAutoPlay ? true : *saved_);
}

void AutoPlaySwitch::Restore() {
  if (saved_) setting_.WriteNever(*saved_);
}

}  // namespace sonvarek
