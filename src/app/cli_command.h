#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/string_table.h"
#include "platform/user_notice.h"

namespace sonvarek {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitNoDevice = 2;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitCancelled = 130;

// What every command gets: the global options, its own arguments and the streams.
struct CommandContext {
  std::string home;                    // --home DIR, empty when not given
  std::vector<std::string> arguments;  // after the command name, global options removed
  std::ostream& out;
  std::ostream& err;
};

// One command of the front end; each lives in its own command_<name>.cpp.
struct CliCommand {
  const char* name;
  const char* synopsis;  // "settings", "toc [--device N | --image FILE]"
  const char* summary;   // one line for the usage text
  int (*run)(const CommandContext& context);
  bool readsDisc = false;                          // takes --device N and --image FILE
  std::span<const text::CliOptionText> options{};  // its own options, for its --help
};

// Every command, in the order of the usage text.
std::span<const CliCommand> CliCommands();

// Notices of the core printed on the command's error stream.
class StreamNotice final : public UserNotice {
 public:
  explicit StreamNotice(std::ostream& err) : err_(err) {}
  void Show(std::string_view line, NoticeKind kind) override;

 private:
  std::ostream& err_;
};

// Prints "sonvarek: " and the text as one line on the error stream.
void TellUser(std::ostream& err, std::string_view line);

// An option's number: decimal digits with an optional '-', nothing else, within 32
// bits; nothing otherwise ("abc", "12x", "", " 5"). Unlike the profile-file rules,
// a typing mistake is refused rather than read as 0 or a prefix.
std::optional<int32_t> ParseCliNumber(std::string_view text);

int RunSettingsCommand(const CommandContext& context);
int RunNormalizeCommand(const CommandContext& context);
int RunRipCommand(const CommandContext& context);
int RunVerifyCommand(const CommandContext& context);
int RunEncodeMp3Command(const CommandContext& context);
int RunEncodeOggCommand(const CommandContext& context);
int RunDecodeCommand(const CommandContext& context);
int RunDevicesCommand(const CommandContext& context);
int RunTocCommand(const CommandContext& context);
int RunInfoCommand(const CommandContext& context);
int RunCdPlayerIniCommand(const CommandContext& context);
int RunQueryCommand(const CommandContext& context);
int RunPlayCommand(const CommandContext& context);
int RunEjectCommand(const CommandContext& context);
int RunVolumeCommand(const CommandContext& context);
int RunSubmitCommand(const CommandContext& context);

}  // namespace sonvarek
