// sonvarek-maker: the desktop program.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <filesystem>
#include <vector>
#include <string>

#include "core/string_table.h"
#include "core/text_format.h"
#include "core/usage_text.h"
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
  bool rip = false;
  std::vector<std::string> files;  // absolute: a running instance has its own working folder
  bool help = false;
  bool version = false;
  std::string error;
};

// --home DIR (or --home=DIR), --rip, --help, --version and files; the command line's
// own start-up flags.
StartOptions ParseOptions(int argc, char** argv) {
  StartOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--home" && i + 1 < argc) {
      options.home = argv[++i];
    } else if (argument.rfind("--home=", 0) == 0) {
      options.home = argument.substr(7);
    } else if (argument == "--rip") {
      options.rip = true;
    } else if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument.starts_with("-") || argument.find('\n') != std::string::npos) {
      options.error = argument;
    } else if (argument.find("://") != std::string::npos) {
      // The desktop hands an inserted audio CD over as cdda://…; the window reads the
      // disc anyway. A file:// address is a file.
      QUrl url(QString::fromStdString(argument));
      if (url.isLocalFile()) options.files.push_back(url.toLocalFile().toStdString());
    } else {
      options.files.push_back(std::filesystem::absolute(argument).lexically_normal().string());
    }
  }
  return options;
}

// What this start asks of the window, one line each, as a running instance gets it.
QStringList Requests(const StartOptions& options) {
  QStringList requests;
  if (options.rip) requests << "rip";
  for (const std::string& file : options.files) requests << "file " + QString::fromStdString(file);
  return requests;
}

void CarryOut(sonvarek::MainWindow& window, const QStringList& requests) {
  bool rip = false;
  std::vector<std::string> files;
  for (const QString& request : requests) {
    if (request == "rip") rip = true;
    if (request.startsWith("file ")) files.push_back(request.mid(5).toStdString());
  }
  if (rip || !files.empty()) window.Open(rip, files);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace sonvarek;
  StartOptions options = ParseOptions(argc, argv);
  if (options.help || !options.error.empty()) {
    std::string usage = std::string(text::kGuiUsageHead) + text::kGuiDescription + text::kCliCommandOptionsHead +
                        UsageLines(text::kGuiOptions);
    (void)std::fputs(usage.c_str(), options.help ? stdout : stderr);  // nowhere else to tell of a failure
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
  const QStringList requests = Requests(options);
  if (instance.AskRunningInstance(requests)) return 0;

  MainWindow window(session, notice);
  notice.SetParent(&window);
  instance.Listen([&window](const QStringList& later) {
    window.BringToFront();
    CarryOut(window, later);
  });
  // close() saves everything; exit() then also ends a message box's loop that may be open.
  TerminationSignals termination([&window] {
    window.close();
    QCoreApplication::exit(0);
  });
  window.show();
  // Start-up runs in the event loop, so its messages appear over the shown window.
  QTimer::singleShot(0, &window, [&window, &requests] {
    window.Start();
    CarryOut(window, requests);
  });
  return application.exec();
}
