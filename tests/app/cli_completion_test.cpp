#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/cli_command.h"
#include "support/run_program.h"

namespace sonvarek {
namespace {

using test::ShellQuoted;

// What the bash completion offers for the words of a command line, the last one being
// completed, one offer a line.
std::string Completions(const std::string& words) {
  const std::string script =
      "source /usr/share/bash-completion/bash_completion; source " + ShellQuoted(SONVAREK_COMPLETION) +
      "; COMP_WORDS=(" + words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE=\"${COMP_WORDS[*]}\";"
      " COMP_POINT=${#COMP_LINE}; _sonvarek; printf '%s\\n' \"${COMPREPLY[@]}\"";
  return test::RunProgram("bash -c " + ShellQuoted(script)).out;
}

bool Offers(const std::string& offers, const std::string& word) {
  return ("\n" + offers).find("\n" + word + "\n") != std::string::npos;
}

// The completion is written by hand: every command and every option its help names
// must be there, or a new one was forgotten.
TEST(CliCompletionTest, OffersEveryCommandAndEveryOptionOfItsHelp) {
  const std::string commands = Completions("sonvarek ''");
  for (const CliCommand& command : CliCommands()) {
    EXPECT_TRUE(Offers(commands, command.name)) << command.name << ":\n" << commands;
    const std::string options = Completions("sonvarek " + std::string(command.name) + " --");
    std::vector<std::string> flags;
    if (command.readsDisc) flags = {"--device", "--image"};
    for (const text::CliOptionText& option : command.options) {
      const std::string flag = std::string(option.flag).substr(0, std::string(option.flag).find(' '));
      if (flag.starts_with("--")) flags.push_back(flag);
    }
    for (const std::string& flag : flags) EXPECT_TRUE(Offers(options, flag)) << command.name << ' ' << flag;
  }
}

}  // namespace
}  // namespace sonvarek
