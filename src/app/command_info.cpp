#include <optional>
#include <ostream>

#include "app/cli_command.h"
#include "app/cli_drive.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

struct InfoOptions {
  DriveChoice drive;
  // The disc fields given, each stored in the disc's entry and copied into every track.
  std::vector<std::pair<std::string TagSet::*, std::string>> discTexts;
  std::optional<std::string> genre;
  std::vector<std::pair<int, std::string>> titles;
};

bool IsYear(const std::string& value) {
  return value.find_first_not_of("0123456789") == std::string::npos;
}

// One "--name VALUE" of the edits; false after saying what is wrong.
bool TakeEdit(const std::string& name, const std::string& value, InfoOptions& options, std::ostream& err) {
  if (name == "--artist") {
    options.discTexts.emplace_back(&TagSet::Artist, value);
  } else if (name == "--album") {
    options.discTexts.emplace_back(&TagSet::Album, value);
  } else if (name == "--year" && IsYear(value)) {
    options.discTexts.emplace_back(&TagSet::Year, value);
  } else if (name == "--year") {
    TellUser(err, FormatText(text::kCliYearDigits, value));
    return false;
  } else if (name == "--comment") {
    options.discTexts.emplace_back(&TagSet::Comment, value);
  } else if (name == "--genre") {
    options.genre = value;
  } else if (auto title = name == "--title" ? ParseTitleOption(value) : std::nullopt) {
    options.titles.push_back(std::move(*title));
  } else {
    TellUser(err, FormatText(text::kCliInfoUnexpected, name));
    TellUser(err, text::kCliInfoUsage);
    return false;
  }
  return true;
}

std::optional<InfoOptions> ParseInfoOptions(const std::vector<std::string>& arguments, std::ostream& err) {
  InfoOptions options;
  auto take = [&](const std::string& name, const std::string& value) { return TakeEdit(name, value, options, err); };
  if (!WalkDiscArguments(arguments, 0, options.drive, text::kCliInfoUsage, err, take)) return std::nullopt;
  return options;
}

void ApplyDiscEdits(const InfoOptions& options, DiscSession& session) {
  for (const auto& [field, value] : options.discTexts) session.SetDiscField(field, value);
  if (options.genre) session.SetDiscGenre(*options.genre);
}

}  // namespace

// Loads the disc as the main window does, applies the edits given, saves the local
// disc database as the main window does at exit and prints the disc's texts.
int RunInfoCommand(const CommandContext& context) {
  std::optional<InfoOptions> options = ParseInfoOptions(context.arguments, context.err);
  if (!options) return kExitUsage;
  CliDisc disc(context);
  DiscSession& session = disc.session;
  if (int status = ExitStatusOf(session.Open(options->drive)); status != kExitOk) return status;
  ApplyDiscEdits(*options, session);
  if (!ApplyTitles(session, options->titles, context.err)) return kExitUsage;
  bool saved = session.SaveDisc();
  PrintDiscTexts(session, context.out);
  return saved ? kExitOk : kExitFailed;
}

}  // namespace sonvarek
