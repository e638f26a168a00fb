// The freedb query and submission dialogs over the sample disc and a loopback cddb
// server: what the user sees and what reaches the disc and the server.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <QPointer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>

#include "core/string_table.h"
#include "session/disc_session.h"
#include "support/loopback_servers.h"
#include "support/temp_folder.h"
#include "ui/child_widget.h"
#include "ui/sample_disc_session.h"
#include "ui/query_window.h"
#include "ui/submit_window.h"

using namespace sonvarek;
using Clock = std::chrono::steady_clock;

namespace {

using Disc = test::SampleDiscSession;
using test::kSampleTracks;
constexpr int kServerWait = 10000;  // ms; a loopback exchange takes a fraction of that

// A peer that takes the connection and never answers.
void StaySilent(int connection) {
  char buffer[256];
  while (recv(connection, buffer, sizeof buffer, 0) > 0) {
  }
}

using test::Child;

QString LabelText(QWidget& window, const char* name) { return Child<QLabel>(window, name)->text(); }
bool Shows(QWidget& window, const char* name) { return Child<QWidget>(window, name)->isVisible(); }

// The submissions the server kept (each the whole request as it arrived).
std::vector<std::filesystem::path> Submissions(const test::CddbServer& server) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(server.submissions())) return files;
  for (const auto& entry : std::filesystem::directory_iterator(server.submissions())) files.push_back(entry.path());
  return files;
}

// Fills the editor with texts that pass validation.
void FillValidEditor(SubmitWindow& window) {
  Child<QLineEdit>(window, "artistEdit")->setText("Band");
  Child<QLineEdit>(window, "albumEdit")->setText("Record");
  Child<QComboBox>(window, "genreBox")->setCurrentText("rock");
  for (int row = 0; row < kSampleTracks; ++row) window.EditTitle(row, QString("Song %1").arg(row + 1));
}

// A user's double-click: item views take the double-click only on the row they saw
// pressed first.
void DoubleClick(QWidget* viewport, QPoint at) {
  QTest::mousePress(viewport, Qt::LeftButton, {}, at);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

enum class CancelBy { Button, Escape, CloseBox };

void CancelWindow(QDialog& window, CancelBy how) {
  switch (how) {
    case CancelBy::Button: Child<QPushButton>(window, "cancelButton")->click(); break;
    case CancelBy::Escape: QTest::keyClick(&window, Qt::Key_Escape); break;
    case CancelBy::CloseBox: window.close(); break;
  }
}

}  // namespace

Q_DECLARE_METATYPE(CancelBy)

class FreedbDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QVERIFY(QApplication::overrideCursor() == nullptr); }

  // Several matches are listed in the server's order with the first row selected; the
  // row the user picks (OK on the selection, a double-click, Enter) is read into the
  // disc, which is saved, and the dialog closes with OK.
  void chosenCandidateNamesAndSavesTheDisc_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("category");
    QTest::newRow("OK on the selected row") << "ok" << 2 << "rock";
    QTest::newRow("OK on the row selected at first") << "ok" << 0 << "blues";
    QTest::newRow("double-click") << "double-click" << 1 << "jazz";
    QTest::newRow("Enter on the list") << "enter" << 1 << "jazz";
  }
  void chosenCandidateNamesAndSavesTheDisc() {
    QFETCH(QString, how);
    QFETCH(int, row);
    QFETCH(QString, category);
    Disc disc;
    disc.AddEntry("rock", test::SampleEntry("Rock Band / Rock Album", "Rock"));
    disc.AddEntry("blues", test::SampleEntry("Blues Band / Blues Album", "Blues"));
    disc.AddEntry("jazz", test::SampleEntry("Jazz Band/Jazz Album", "Jazz"));
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    QueryWindow window(disc.session, disc.QueryTo(server.port()), disc.notice);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QString(text::kCddbQueryingCaption));

    auto* list = Child<QTreeWidget>(window, "candidates");
    QTRY_VERIFY_WITH_TIMEOUT(list->isVisible(), kServerWait);
    QCOMPARE(window.model().pane(), QueryPane::Candidates);
    QTreeWidgetItem* header = list->headerItem();
    QCOMPARE(QStringList({header->text(0), header->text(1), header->text(2)}), QStringList({"No.", "Artist", "Album"}));
    QCOMPARE(list->topLevelItemCount(), 3);
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
      QTreeWidgetItem* item = list->topLevelItem(i);
      shown << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
    }
    QCOMPARE(shown, QStringList({"1|Blues Band|Blues Album", "2|Jazz Band|Jazz Album", "3|Rock Band|Rock Album"}));
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QVERIFY(list->topLevelItem(0)->isSelected());
    QVERIFY(Child<QPushButton>(window, "okButton")->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);

    QTreeWidgetItem* item = list->topLevelItem(row);
    if (how == "ok") {
      list->setCurrentItem(item);
      Child<QPushButton>(window, "okButton")->click();
    } else if (how == "double-click") {
      DoubleClick(list->viewport(), list->visualItemRect(item).center());
    } else {
      list->setCurrentItem(item);
      QTest::keyClick(list, Qt::Key_Return);
    }
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), kServerWait);
    QCOMPARE(window.result(), int(QDialog::Accepted));

    std::string name = category.toStdString();
    std::string prefix = name;
    prefix[0] = static_cast<char>(prefix[0] - 'a' + 'A');
    const TagSet& tags = disc.session.disc().entries[0];
    QCOMPARE(tags.Artist, prefix + " Band");
    QCOMPARE(tags.Album, prefix + " Album");
    QCOMPARE(tags.GenreName, name);
    QVERIFY(disc.session.disc().hasRevision);
    QCOMPARE(disc.session.disc().revision, 3);
    for (int track = 1; track <= kSampleTracks; ++track) {
      QCOMPARE(disc.Title(track), prefix + " " + std::to_string(track));
      QCOMPARE(disc.RowTitle(track - 1), prefix + " " + std::to_string(track));
    }
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(disc.notice.texts, std::vector<std::string>{});

    // The disc was saved: a new session over the same program folder reads the titles.
    RecordingNotice notice;
    DiscSession again(disc.settings, notice, disc.home.Path());
    again.Open(DriveChoice{std::nullopt, test::kSampleDiscCue});
    QCOMPARE(again.disc().entries[2].Title, prefix + " 2");
    QCOMPARE(again.disc().entries[0].Artist, prefix + " Band");
  }

  // One match is read at once: the list never shows.
  void singleMatchIsReadWithoutAList() {
    Disc disc;
    disc.AddEntry("folk", test::SampleEntry("Only One", "Folk"));
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    QueryWindow window(disc.session, disc.QueryTo(server.port()), disc.notice);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), kServerWait);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(Child<QTreeWidget>(window, "candidates")->topLevelItemCount(), 0);
    QCOMPARE(disc.session.disc().entries[0].Artist, std::string("Only One"));
    QCOMPARE(disc.session.disc().entries[0].Album, std::string("Only One"));
    QCOMPARE(disc.RowTitle(4), std::string("Folk 5"));
  }

  // No match: the no-match pane, only Cancel left, the disc untouched; Cancel then
  // closes at once since no worker runs.
  void queryWithoutMatchShowsTheNoMatchPane() {
    Disc disc;
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    QueryWindow window(disc.session, disc.QueryTo(server.port()), disc.notice);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(Shows(window, "noMatchText"), kServerWait);
    QCOMPARE(window.model().pane(), QueryPane::NoMatch);
    QCOMPARE(LabelText(window, "noMatchText"), QString("Sorry! No matched disc was found!"));
    QVERIFY(!Child<QPushButton>(window, "okButton")->isEnabled());
    QVERIFY(Child<QPushButton>(window, "cancelButton")->isEnabled());
    QCOMPARE(disc.Title(1), std::string("Track 1"));
    QCOMPARE(disc.session.disc().entries[0].Artist, std::string());

    Clock::time_point cancelled = Clock::now();
    Child<QPushButton>(window, "cancelButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 5000);
    QVERIFY(Clock::now() - cancelled < std::chrono::milliseconds(1500));
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // A server nobody listens on: the error pane with the worker's text.
  void unreachableServerShowsTheErrorPane() {
    Disc disc;
    QueryWindow window(disc.session, disc.QueryTo(test::FreeLoopbackPort()), disc.notice);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(Shows(window, "errorText"), kServerWait);
    QCOMPARE(window.model().pane(), QueryPane::Error);
    QString error = LabelText(window, "errorText");
    QVERIFY2(error.startsWith("Failed: ") && error.size() > 8, qPrintable(error));
    QCOMPARE(error.toStdString(), window.model().errorText());
    QVERIFY(!Child<QPushButton>(window, "okButton")->isEnabled());
    QCOMPARE(disc.Title(1), std::string("Track 1"));
  }

  // Without a disc there is nothing to ask about: the notice, and the dialog closes.
  void queryWithoutDiscTellsAndCloses() {
    test::TempFolder home;
    Settings settings;
    RecordingNotice notice;
    DiscSession session(settings, notice, home.Path());
    std::atomic<bool> connected = false;
    {
      test::LoopbackPeer peer([&connected](int) { connected = true; });
      QueryWindow window(session, Disc::Aimed(QueryRequestFromSettings(settings), peer.port()), notice);
      window.show();
      QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 5000);
      QCOMPARE(window.result(), int(QDialog::Rejected));
      QCOMPARE(notice.texts, std::vector<std::string>{text::kPleaseInsertAnAudioCd});
    }
    QVERIFY(!connected);
  }

  // Cancel, Escape and the close box against a server that never answers: the wait
  // cursor while the worker ends, then the dialog closes well before any time-out.
  void cancellingAQueryClosesPromptly_data() {
    QTest::addColumn<CancelBy>("how");
    QTest::newRow("Cancel button") << CancelBy::Button;
    QTest::newRow("Escape") << CancelBy::Escape;
    QTest::newRow("close box") << CancelBy::CloseBox;
  }
  void cancellingAQueryClosesPromptly() {
    QFETCH(CancelBy, how);
    Disc disc;
    test::LoopbackPeer silent(StaySilent);
    QueryWindow window(disc.session, disc.QueryTo(silent.port()), disc.notice);
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(LabelText(window, "statusText"), QString(text::kCddbReceivingQuery), kServerWait);
    QVERIFY(QApplication::overrideCursor() == nullptr);

    Clock::time_point cancelled = Clock::now();
    CancelWindow(window, how);
    QCOMPARE(LabelText(window, "statusText"), QString(text::kCddbCancelQuerying));
    QVERIFY(!Child<QPushButton>(window, "cancelButton")->isEnabled());
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 5000);
    QVERIFY(Clock::now() - cancelled < std::chrono::milliseconds(1500));
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(disc.Title(1), std::string("Track 1"));
  }

  // A dialog destroyed while its cancel is pending gives the cursor back.
  void destroyingACancellingDialogRestoresTheCursor() {
    Disc disc;
    test::LoopbackPeer silent(StaySilent);
    auto window = std::make_unique<QueryWindow>(disc.session, disc.QueryTo(silent.port()), disc.notice);
    window->show();
    QTRY_COMPARE_WITH_TIMEOUT(window->model().status(), std::string(text::kCddbReceivingQuery), kServerWait);
    Child<QPushButton>(*window, "cancelButton")->click();
    QVERIFY(QApplication::overrideCursor() != nullptr);
    window.reset();
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  // The editor starts from the disc: texts, the genre when it is a freedb category,
  // the next revision when the disc came with one.
  void submitEditorStartsFromTheDisc_data() {
    QTest::addColumn<QString>("genreName");
    QTest::addColumn<bool>("hasRevision");
    QTest::addColumn<QString>("genreShown");
    QTest::addColumn<QString>("revisionShown");
    QTest::newRow("freedb category, revised") << "Rock" << true << "rock" << "4";
    QTest::newRow("other genre, first revision") << "Acid Jazz" << false << "" << "0";
  }
  void submitEditorStartsFromTheDisc() {
    QFETCH(QString, genreName);
    QFETCH(bool, hasRevision);
    QFETCH(QString, genreShown);
    QFETCH(QString, revisionShown);
    Disc disc;
    DiscRecord& record = disc.session.disc();
    record.entries[0].Artist = "Band";
    record.entries[0].Album = "Record";
    record.entries[0].GenreName = genreName.toStdString();
    record.hasRevision = hasRevision;
    record.revision = 3;
    record.entries[2].Title = "Second Song";
    SubmitWindow window(disc.session, disc.SubmitTo(test::FreeLoopbackPort()), disc.DiagnosticPath(), disc.notice);
    window.show();
    QCOMPARE(window.windowTitle(), QString(text::kCddbSubmittingCaption));
    QVERIFY(Shows(window, "artistEdit"));
    QCOMPARE(Child<QLineEdit>(window, "artistEdit")->text(), QString("Band"));
    QCOMPARE(Child<QLineEdit>(window, "albumEdit")->text(), QString("Record"));
    auto* genres = Child<QComboBox>(window, "genreBox");
    QCOMPARE(genres->count(), 11);
    QCOMPARE(genres->itemText(0), QString("blues"));
    QCOMPARE(genres->itemText(10), QString("soundtrack"));
    QCOMPARE(genres->currentText(), genreShown);
    QCOMPARE(Child<QLineEdit>(window, "revisionEdit")->text(), revisionShown);
    auto* titles = Child<QTreeWidget>(window, "titleList");
    QCOMPARE(titles->topLevelItemCount(), kSampleTracks);
    QCOMPARE(titles->topLevelItem(1)->text(0), QString("2"));
    QCOMPARE(titles->topLevelItem(1)->text(1), QString("Second Song"));
    QCOMPARE(titles->topLevelItem(4)->text(1), QString("Track 5"));
    QCOMPARE(Child<QPushButton>(window, "cancelButton")->text(), QString("&Cancel"));

    // Cancel before anything was sent closes at once.
    Child<QPushButton>(window, "cancelButton")->click();
    QVERIFY(window.isHidden());
    QCOMPARE(window.result(), int(QDialog::Rejected));
  }

  // Each validation failure shows its message, puts the focus on the field concerned
  // and sends nothing; the editor keeps its texts.
  void invalidSubmissionTellsWhyAndSendsNothing_data() {
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("album");
    QTest::addColumn<QString>("genre");
    QTest::addColumn<int>("untitledRow");  // left "Track %d"; −1 for none
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no artist") << "" << "Record" << "rock" << 2 << text::kSubmitNeedsArtist << "artistEdit";
    QTest::newRow("no album") << "Band" << "" << "rock" << -1 << text::kSubmitNeedsAlbum << "albumEdit";
    QTest::newRow("no genre") << "Band" << "Record" << "" << -1 << text::kSubmitNeedsGenre << "genreBox";
    QTest::newRow("untitled track") << "Band" << "Record" << "jazz" << 2 << "Missing title for track #03." << "titleList";
  }
  void invalidSubmissionTellsWhyAndSendsNothing() {
    QFETCH(QString, artist);
    QFETCH(QString, album);
    QFETCH(QString, genre);
    QFETCH(int, untitledRow);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Disc disc;
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    SubmitWindow window(disc.session, disc.SubmitTo(server.port()), disc.DiagnosticPath(), disc.notice);
    window.show();
    FillValidEditor(window);
    Child<QLineEdit>(window, "artistEdit")->setText(artist);
    Child<QLineEdit>(window, "albumEdit")->setText(album);
    Child<QComboBox>(window, "genreBox")->setCurrentIndex(Child<QComboBox>(window, "genreBox")->findText(genre));
    if (untitledRow >= 0) window.EditTitle(untitledRow, QString("Track %1").arg(untitledRow + 1));

    Child<QPushButton>(window, "submitButton")->click();
    QCOMPARE(disc.notice.texts, std::vector<std::string>{message.toStdString()});
    QVERIFY(window.focusWidget() != nullptr);
    QCOMPARE(window.focusWidget()->objectName(), focus);
    if (untitledRow >= 0 && focus == "titleList") {
      auto* titles = Child<QTreeWidget>(window, "titleList");
      QCOMPARE(titles->currentItem(), titles->topLevelItem(untitledRow));
    }
    QCOMPARE(window.model().pane(), SubmitPane::Editor);
    QVERIFY(Shows(window, "artistEdit"));
    QCOMPARE(Child<QLineEdit>(window, "artistEdit")->text(), artist);
    QVERIFY(Child<QPushButton>(window, "submitButton")->isEnabled());
    QVERIFY(!window.Submit());  // the same refusal through the method
    QVERIFY(!std::filesystem::exists(disc.DiagnosticPath()));
    QVERIFY(Submissions(server).empty());
    QCOMPARE(disc.session.disc().entries[0].Artist, std::string());
  }

  // A valid submission travels as written to cddb.txt, lands on the server and ends
  // in the succeeded pane; the texts are the disc's; Close then ends the dialog.
  void validSubmissionLandsAndShowsSuccess() {
    Disc disc;
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    SubmitWindow window(disc.session, disc.SubmitTo(server.port()), disc.DiagnosticPath(), disc.notice);
    window.show();
    FillValidEditor(window);
    window.EditTitle(0, "Track 2");  // the default title of another track is a title
    Child<QLineEdit>(window, "revisionEdit")->setText("7");

    QVERIFY(window.Submit());
    QVERIFY(!Child<QPushButton>(window, "submitButton")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(Shows(window, "succeededText"), kServerWait);
    QCOMPARE(window.model().pane(), SubmitPane::Succeeded);
    QCOMPARE(LabelText(window, "succeededText"), QString("Successfully Submitted. Thanks."));
    QCOMPARE(LabelText(window, "availableSoonText"), QString("Your CD information will be available soon."));
    QCOMPARE(Child<QPushButton>(window, "cancelButton")->text(), QString("&Close"));
    QVERIFY(!Child<QPushButton>(window, "submitButton")->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(disc.notice.texts, std::vector<std::string>{});

    std::vector<std::filesystem::path> landed = Submissions(server);
    QCOMPARE(landed.size(), size_t{1});
    QCOMPARE(landed[0].filename().string(), "rock-" + test::kSampleFreedbId + "-1.txt");
    std::string sent = test::ReadWholeFile(landed[0].string());
    QCOMPARE(test::ReadWholeFile(disc.DiagnosticPath()), sent);
    for (const char* line : {"Category: rock\r\n", "User-Email: ann@mail.example\r\n", "# Revision: 7\r\n",
                             "DTITLE=Band / Record\r\n", "TTITLE0=Track 2\r\n", "TTITLE4=Song 5\r\n"}) {
      QVERIFY2(sent.find(line) != std::string::npos, line);
    }
    const TagSet& tags = disc.session.disc().entries[0];
    QCOMPARE(tags.Artist, std::string("Band"));
    QCOMPARE(tags.Album, std::string("Record"));
    QCOMPARE(tags.GenreName, std::string("rock"));
    QCOMPARE(disc.session.disc().entries[3].Artist, std::string("Band"));

    QTest::keyClick(&window, Qt::Key_Return);  // Close is the default button now
    QVERIFY(window.isHidden());
    QCOMPARE(window.result(), int(QDialog::Accepted));
  }

  // A refusal shows the failed pane with the server's code; what Submit gave the disc
  // stays.
  void refusedSubmissionShowsTheFailedPane() {
    Disc disc;
    disc.settings.Email = "ann smith@mail.example";  // the server refuses a blank in the address
    test::CddbServer server(disc.database.Path());
    QVERIFY(server.up());
    SubmitWindow window(disc.session, disc.SubmitTo(server.port()), disc.DiagnosticPath(), disc.notice);
    window.show();
    FillValidEditor(window);
    QVERIFY(window.Submit());
    QTRY_VERIFY_WITH_TIMEOUT(Shows(window, "failedText"), kServerWait);
    QCOMPARE(window.model().pane(), SubmitPane::Failed);
    QCOMPARE(LabelText(window, "failedHeading"), QString("Submit Failed!"));
    QCOMPARE(LabelText(window, "failedText"), QString("Error while submit to 127.0.0.1.\nError code = 500."));
    QCOMPARE(Child<QPushButton>(window, "cancelButton")->text(), QString("&Close"));
    QVERIFY(!Child<QPushButton>(window, "submitButton")->isEnabled());
    QVERIFY(!window.Submit());
    QCOMPARE(disc.session.disc().entries[0].Artist, std::string("Band"));
  }

  // The in-place editor: a double-click anywhere on a row edits its title, with the
  // title selected; Enter stores it in the row and in the disc at once; Escape (here
  // after F2) leaves everything as it was.
  void titleEditedInPlaceReachesTheDisc() {
    Disc disc;
    SubmitWindow window(disc.session, disc.SubmitTo(test::FreeLoopbackPort()), disc.DiagnosticPath(), disc.notice);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* titles = Child<QTreeWidget>(window, "titleList");

    QRect numberCell = titles->visualRect(titles->model()->index(2, 0));
    DoubleClick(titles->viewport(), numberCell.center());
    QPointer<QLineEdit> editor;
    QTRY_VERIFY((editor = titles->viewport()->findChild<QLineEdit*>()) && editor->isVisible());
    QCOMPARE(editor->text(), QString("Track 3"));
    QCOMPARE(editor->selectedText(), QString("Track 3"));
    QTest::keyClicks(editor, "Nuit ");
    editor->insert(QString::fromUtf8("étoilée"));  // QTest types ASCII only
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(disc.Title(3), std::string("Nuit étoilée"));
    QCOMPARE(disc.RowTitle(2), std::string("Nuit étoilée"));
    QCOMPARE(titles->topLevelItem(2)->text(1), QString("Nuit étoilée"));
    QCOMPARE(titles->topLevelItem(2)->text(0), QString("3"));
    QCOMPARE(window.model().pane(), SubmitPane::Editor);  // Enter went to the editor, not to Submit
    QCOMPARE(disc.notice.texts, std::vector<std::string>{});

    titles->setCurrentItem(titles->topLevelItem(0));
    titles->setFocus();
    QTRY_VERIFY(titles->hasFocus());
    QTest::keyClick(titles, Qt::Key_F2);
    QTRY_VERIFY((editor = titles->viewport()->findChild<QLineEdit*>()) && editor->isVisible());
    QCOMPARE(editor->text(), QString("Track 1"));
    QTest::keyClicks(editor, "Discarded");
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(editor.isNull() || !editor->isVisible());
    QVERIFY(window.isVisible());  // Escape closed the editor, not the dialog
    QCOMPARE(titles->topLevelItem(0)->text(1), QString("Track 1"));
    QCOMPARE(disc.Title(1), std::string("Track 1"));
  }

  // Cancel while the server keeps silent: the wait cursor, then a prompt close.
  void cancellingASubmissionClosesPromptly() {
    Disc disc;
    test::LoopbackPeer silent(StaySilent);
    SubmitWindow window(disc.session, disc.SubmitTo(silent.port()), disc.DiagnosticPath(), disc.notice);
    window.show();
    FillValidEditor(window);
    QVERIFY(window.Submit());
    QTRY_COMPARE_WITH_TIMEOUT(LabelText(window, "statusText"), QString(text::kCddbWaitingForResponse), kServerWait);
    Clock::time_point cancelled = Clock::now();
    Child<QPushButton>(window, "cancelButton")->click();
    QCOMPARE(LabelText(window, "statusText"), QString(text::kCddbCancelSubmitting));
    QVERIFY(!Child<QPushButton>(window, "cancelButton")->isEnabled());
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(window.isHidden(), 5000);
    QVERIFY(Clock::now() - cancelled < std::chrono::milliseconds(1500));
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }
};

QTEST_MAIN(FreedbDialogsTest)
#include "freedb_dialogs_test.moc"
