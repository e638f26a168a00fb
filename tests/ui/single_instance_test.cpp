#include <QLocalSocket>
#include <QtTest>
#include <chrono>

#include "support/loopback_servers.h"
#include "support/run_program.h"
#include "support/temp_folder.h"
#include "support/wav_fixture.h"
#include "ui/single_instance.h"

using namespace sonvarek;

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  // A second start with the same program folder reaches the first, asks it to come to
  // the front and ends at once; the first goes on running, and a SIGTERM ends it as its
  // Exit command does, settings saved.
  void secondStartHandsOverToTheFirst() {
    test::TempFolder home;
    const std::string program = SONVAREK_BINARY_DIR "/src/app/sonvarek-maker";
    auto first = std::make_unique<test::ChildProcess>(std::vector<std::string>{program, "--home", home.Path()},
                                                      test::ChildOutput::Inherit);
    QString name = SingleInstance::NameFor(QString::fromStdString(home.Path()));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          QLocalSocket probe;
          probe.connectToServer(name);
          return probe.waitForConnected(100);
        }(),
        30000);
    auto started = std::chrono::steady_clock::now();
    test::ProgramResult second = test::RunProgram(program + " --home " + test::ShellQuoted(home.Path()));
    QCOMPARE(second.status, 0);
    QVERIFY(std::chrono::steady_clock::now() - started < std::chrono::seconds(10));
    QLocalSocket stillThere;
    stillThere.connectToServer(name);
    QVERIFY(stillThere.waitForConnected(1000));
    stillThere.disconnectFromServer();
    QVERIFY(!QFile::exists(QString::fromStdString(home / "Settings.ini")));
    first.reset();  // SIGTERM, then a wait for the end
    QVERIFY(test::ReadWholeFile(home / "Settings.ini").find("WindowWidth=") != std::string::npos);
  }

  // Files given to a second start (as the desktop's "Open With" gives them) reach the
  // running window, which encodes the WAV file to MP3 into its output folder.
  void filesOfASecondStartAreConvertedByTheFirst() {
    test::TempFolder home;
    test::TempFolder elsewhere;
    test::WriteWholeFile(home / "Settings.ini",
                         "[General]\nOutputFolder=" + home.Path() + "out\n[Misc]\nbOpenOutputFolder=0\n");
    test::WriteWav(elsewhere / "tone.wav", std::vector<int16_t>(2 * 44100, 1000));
    const std::string program = SONVAREK_BINARY_DIR "/src/app/sonvarek-maker";
    test::ChildProcess first(std::vector<std::string>{program, "--home", home.Path()}, test::ChildOutput::Inherit);
    QString name = SingleInstance::NameFor(QString::fromStdString(home.Path()));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          QLocalSocket probe;
          probe.connectToServer(name);
          return probe.waitForConnected(100);
        }(),
        30000);
    // A relative name: the second start makes it absolute for the first.
    test::ProgramResult second = test::RunProgram("cd " + test::ShellQuoted(elsewhere.Path()) + " && " + program +
                                                  " --home " + test::ShellQuoted(home.Path()) + " tone.wav");
    QCOMPARE(second.status, 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QString::fromStdString(home.Path() + "out/tone.MP3")), 60000);
  }
};

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
