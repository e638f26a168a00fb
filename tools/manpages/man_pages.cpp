// Writes the manual pages sonvarek.1 and sonvarek-maker.1 from the same tables that
// the programs' --help texts come from, so the two never drift apart:
//
//   sonvarek-man-pages OUT_DIR VERSION
#include <cctype>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "app/cli_command.h"
#include "core/string_table.h"

using namespace sonvarek;

namespace {

// Text made safe for troff: backslashes and hyphens escaped, and a leading dot or
// quote kept from reading as a request.
std::string Roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (c == '\n') {
      out += "\n.br\n";
    } else {
      if ((c == '.' || c == '\'') && (out.empty() || out.back() == '\n')) out += "\\&";
      out += c;
    }
  }
  return out;
}

void Header(std::ostream& page, std::string_view name, std::string_view version, std::string_view summary) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  page << ".TH " << upper << " 1 \"\" \"" << text::kProductName << ' ' << version << "\" \"User Commands\"\n"
       << ".nh\n.ad l\n"  // no hyphenation or stretched blanks: words stay whole for readers and tests
       << ".SH NAME\n" << Roff(name) << " \\- " << Roff(summary) << '\n';
}

void Terms(std::ostream& page, std::span<const text::CliOptionText> terms) {
  for (const text::CliOptionText& term : terms) page << ".TP\n.B " << Roff(term.flag) << '\n' << Roff(term.text) << '\n';
}

void Environment(std::ostream& page) {
  page << ".SH ENVIRONMENT\n";
  Terms(page, text::kEnvironment);
}

void Files(std::ostream& page) {
  page << ".SH FILES\n" << Roff(text::kManCliFilesIntro) << '\n';
  Terms(page, text::kManFiles);
}

void WriteCliPage(std::ostream& page, std::string_view version) {
  Header(page, "sonvarek", version, text::kManCliName);
  page << ".SH SYNOPSIS\n.B sonvarek\n" << Roff("[--home DIR] COMMAND [OPTIONS]") << '\n'
       << ".SH DESCRIPTION\n" << Roff(text::kManCliDescription) << '\n'
       << ".SH COMMANDS\n";
  for (const CliCommand& command : CliCommands()) {
    page << ".TP\n.B " << Roff(command.synopsis) << '\n' << Roff(command.summary) << '\n';
    if (!command.readsDisc && command.options.empty()) continue;
    page << ".RS\n";
    if (command.readsDisc) Terms(page, text::kCliDriveOptions);
    Terms(page, command.options);
    page << ".RE\n";
  }
  page << ".SH OPTIONS\n";
  Terms(page, text::kCliGlobalOptions);
  page << ".SH \"EXIT STATUS\"\n";
  for (const text::CliExitText& status : text::kCliExitStatuses) {
    page << ".TP\n.B " << status.status << '\n' << Roff(status.text) << '\n';
  }
  Environment(page);
  Files(page);
  page << ".SH \"SEE ALSO\"\n" << Roff(text::kManCliSeeAlso) << '\n';
}

void WriteGuiPage(std::ostream& page, std::string_view version) {
  Header(page, "sonvarek-maker", version, text::kManGuiName);
  page << ".SH SYNOPSIS\n.B sonvarek-maker\n" << Roff("[--home DIR] [--rip] [FILE...]") << '\n'
       << ".SH DESCRIPTION\n" << Roff(text::kGuiDescription) << '\n'
       << ".SH OPTIONS\n";
  Terms(page, text::kGuiOptions);
  Environment(page);
  Files(page);
  page << ".SH \"SEE ALSO\"\n" << Roff(text::kManGuiSeeAlso) << '\n';
}

bool Write(const std::string& path, void (*write)(std::ostream&, std::string_view), std::string_view version) {
  std::ofstream page(path);
  write(page, version);
  page.close();
  if (page) return true;
  std::fprintf(stderr, "sonvarek-man-pages: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: sonvarek-man-pages OUT_DIR VERSION\n", stderr);
    return 64;
  }
  std::string folder = argv[1];
  bool written = Write(folder + "/sonvarek.1", WriteCliPage, argv[2]) &&
                 Write(folder + "/sonvarek-maker.1", WriteGuiPage, argv[2]);
  return written ? 0 : 1;
}
