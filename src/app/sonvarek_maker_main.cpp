// sonvarek-maker: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <string>

#include "core/string_table.h"
#include "core/text_format.h"
#include "platform/auto_play.h"
#include "session/program_session.h"
#include "ui/icon_theme.h"
#include "ui/main_window.h"
#include "ui/message_box_notice.h"
#include "ui/single_instance.h"
#include "ui/termination_signals.h"

namespace {

struct StartOptions {
  std::string home;
  bool help = false;
  bool version = false;
  std::string error;
};

// --home DIR (or --home=DIR), --help, --version; the command line's own start-up flags.
StartOptions ParseOptions(int argc, char** argv) {
  StartOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--home" && i + 1 < argc) {
      options.home = argv[++i];
    } else if (argument.rfind("--home=", 0) == 0) {
      options.home = argument.substr(7);
    } else if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else {
      options.error = argument;
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sonvarek;
  StartOptions options = ParseOptions(argc, argv);
  if (options.help || !options.error.empty()) {
    std::fputs(text::kGuiUsage, options.help ? stdout : stderr);
    return options.help ? 0 : 64;
  }
  if (options.version) {
    std::printf("%s\n", FormatText(text::kGuiVersion, text::kProductName, SONVAREK_VERSION).c_str());
    return 0;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("sonvarek-maker");
  QApplication::setApplicationDisplayName(text::kProductName);
  QApplication::setApplicationVersion(SONVAREK_VERSION);
  QApplication::setDesktopFileName("sonvarek-maker");
  UseInstalledIconThemeWhenNoneIsSet();

  MessageBoxNotice notice;
  GsettingsAutoRunSetting autoRun;
  ProgramSession session(options.home, notice, autoRun);
  SingleInstance instance(QString::fromStdString(session.folders().programFolder));
  if (instance.AskRunningInstance()) return 0;

  MainWindow window(session, notice);
  notice.SetParent(&window);
  instance.Listen([&window] { window.BringToFront(); });
  // close() saves everything; exit() then also ends a message box's loop that may be open.
  TerminationSignals termination([&window] {
    window.close();
    QCoreApplication::exit(0);
  });
  window.show();
  // Start-up runs in the event loop, so its messages appear over the shown window.
  QTimer::singleShot(0, &window, &MainWindow::Start);
  return application.exec();
}
