// The options sheet and the track and disc information dialogs, opened from the main
// window as a user opens them.
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <filesystem>

#include "core/profile_file.h"
#include "core/string_table.h"
#include "ui/child_widget.h"
#include "ui/desktop_program.h"
#include "ui/disc_info_dialog.h"
#include "ui/options_dialog.h"
#include "ui/track_info_dialog.h"

using namespace sonvarek;
using Command = MainWindow::Command;

namespace {

using Program = test::DesktopProgram;

// No file manager opens at the end of a rip.
constexpr char kQuietRips[] = "[Misc]\nbOpenOutputFolder=0\n";

using test::Child;

void ClickOk(OptionsDialog& dialog) {
  Child<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Ok)->click();
}

// Opens the dialog through `command` and runs `step` on it while it is modal.
template <class T>
bool RunModal(const Program& program, Command command, std::function<void(T&)> step) {
  test::WhenModal<T> when(std::move(step));
  program.Trigger(command);
  return when.done();
}

// A sheet over the program's live settings, as the main window makes it.
std::unique_ptr<OptionsDialog> SheetOf(const Program& program, RecordingNotice& notice) {
  return std::make_unique<OptionsDialog>(program.session->settings(), std::vector<std::string>{"drive"},
                                         program.session->folders(), notice);
}

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // OK with a new output folder: the sheet makes the folder, the session takes it, and
  // the next rip writes there.
  void aNewOutputFolderTakesTheNextRip() {
    Program program(test::kSampleCue, kQuietRips);
    const std::string folder = program.home.Path() + "new place/";
    QVERIFY(RunModal<OptionsDialog>(program, Command::Options, [&](OptionsDialog& dialog) {
      Child<QLineEdit>(dialog, "outputFolderEdit")->setText(QString::fromStdString("  " + folder + "//  "));
      ClickOk(dialog);
    }));
    QCOMPARE(program.session->settings().OutputFolder, folder);
    QVERIFY(std::filesystem::is_directory(folder));

    TrackList& tracks = program.session->disc().tracks();
    tracks.SelectNone();
    tracks.SetChecked(0, true);
    program.Trigger(Command::Extract);
    BatchWindow* batch = program.Batch();
    QVERIFY(batch != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(batch->model().finished(), 60000);
    QVERIFY(!batch->model().failed());
    QCOMPARE(batch->model().successFiles(), std::vector<std::string>{folder + "01-Track 1.MP3"});
    QVERIFY(std::filesystem::file_size(folder + "01-Track 1.MP3") > 1000);
    QVERIFY(!std::filesystem::exists(program.home.Path() + "out/01-Track 1.MP3"));
    batch->close();
  }

  // Cancel after edits on several pages leaves every setting as it was.
  void cancelKeepsEverySetting() {
    Program program(test::kSampleCue, kQuietRips);
    const Settings before = program.session->settings();
    QVERIFY(RunModal<OptionsDialog>(program, Command::Options, [&](OptionsDialog& dialog) {
      Child<QLineEdit>(dialog, "outputFolderEdit")->setText("/nowhere/else");
      Child<QComboBox>(dialog, "minBitRateBox")->setCurrentIndex(2);
      Child<QCheckBox>(dialog, "useProxyBox")->setChecked(true);
      Child<QLineEdit>(dialog, "bufferSizeEdit")->setText("12");
      dialog.SetColour(OptionsDialog::Colour::Background, 0x123456);
      Child<QLineEdit>(dialog, "replacementEdit0")->setText("_");
      Child<QCheckBox>(dialog, "forceGenericDriverBox")->setChecked(true);
      Child<QSpinBox>(dialog, "readOffsetSpin")->setValue(30);
      Child<QCheckBox>(dialog, "secureModeBox")->setChecked(true);
      Child<QSpinBox>(dialog, "secureRetriesSpin")->setValue(20);
      Child<QLineEdit>(dialog, "accurateRipServerEdit")->clear();
      Child<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Cancel)->click();
    }));
    QVERIFY(program.session->settings() == before);
    QVERIFY(!std::filesystem::exists("/nowhere/else"));
  }

  // The CD-ROM page shows the verified-rip settings, Retries only with secure mode on,
  // each reached by its mnemonic and by Tab in page order; OK stores the four.
  void cdRomPageStoresTheVerifiedRipSettings() {
    Program program(test::kSampleCue, std::string(kQuietRips) +
                                          "[CDROM]\nReadOffset=667\nSecureRetries=9\n"
                                          "[Verify]\nAccurateRipServer=http://127.0.0.1:9/ar/\n");
    QVERIFY(RunModal<OptionsDialog>(program, Command::Options, [](OptionsDialog& dialog) {
      dialog.ShowPage(OptionsPage::CdRom);
      auto* offset = Child<QSpinBox>(dialog, "readOffsetSpin");
      auto* secure = Child<QCheckBox>(dialog, "secureModeBox");
      auto* retries = Child<QSpinBox>(dialog, "secureRetriesSpin");
      auto* server = Child<QLineEdit>(dialog, "accurateRipServerEdit");
      QCOMPARE(offset->text(), QString("667 samples"));
      QCOMPARE(QPair(offset->minimum(), offset->maximum()), QPair(-5000, 5000));
      QCOMPARE(QPair(retries->minimum(), retries->maximum()), QPair(1, 32));
      QCOMPARE(retries->value(), 9);
      QVERIFY(!secure->isChecked());
      QVERIFY(!retries->isEnabled());
      QCOMPARE(server->text(), QString("http://127.0.0.1:9/ar/"));

      dialog.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&dialog));
      QTest::keyClick(&dialog, Qt::Key_F, Qt::AltModifier);
      QCOMPARE(QApplication::focusWidget(), offset);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), secure);
      QTest::keyClick(secure, Qt::Key_Space);
      QVERIFY(retries->isEnabled());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), retries);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), server);
      QTest::keyClick(&dialog, Qt::Key_I, Qt::AltModifier);
      QCOMPARE(QApplication::focusWidget(), retries);
      QTest::keyClick(&dialog, Qt::Key_V, Qt::AltModifier);
      QCOMPARE(QApplication::focusWidget(), server);

      offset->setValue(-1234);
      retries->setValue(32);
      server->setText("http://127.0.0.1:8/other/");
      ClickOk(dialog);
    }));
    const Settings& settings = program.session->settings();
    QCOMPARE(settings.ReadOffset, -1234);
    QCOMPARE(settings.SecureMode, 1);
    QCOMPARE(settings.SecureRetries, 32);
    QCOMPARE(settings.AccurateRipServer, std::string("http://127.0.0.1:8/other/"));
  }

  // Numbers from outside the spin boxes' ranges show, and are stored, as the nearest end.
  void cdRomPageClampsNumbersOutsideItsRanges() {
    Program program(test::kSampleCue, kQuietRips);
    RecordingNotice notice;
    for (auto [offset, retries, shownOffset, shownRetries] : {std::tuple{7000, 0, 5000, 1}, {-7000, 99, -5000, 32}}) {
      Settings live = program.session->settings();
      live.ReadOffset = offset;
      live.SecureRetries = retries;
      OptionsDialog dialog(live, {"drive"}, program.session->folders(), notice);
      QCOMPARE(Child<QSpinBox>(dialog, "readOffsetSpin")->value(), shownOffset);
      QCOMPARE(Child<QSpinBox>(dialog, "secureRetriesSpin")->value(), shownRetries);
      ClickOk(dialog);
      QVERIFY(dialog.accepted());
      QCOMPARE(dialog.accepted()->ReadOffset, shownOffset);
      QCOMPARE(dialog.accepted()->SecureRetries, shownRetries);
    }
    QVERIFY(notice.texts.empty());
  }

  // The first refusal in page order is told; its page shows with the focus on the
  // refused control; nothing is taken.
  void refusalShowsItsPage_data() {
    QTest::addColumn<QString>("ruleText");
    QTest::addColumn<QString>("bufferText");
    QTest::addColumn<QString>("leadingText");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("message");
    QTest::newRow("genre alone") << "<genre>" << "26" << "0" << int(OptionsPage::Output) << "namingRuleBox"
                                 << text::kNamingRuleNeedsToken;
    QTest::newRow("output before CD-ROM") << "no token" << "0" << "0" << int(OptionsPage::Output) << "namingRuleBox"
                                          << text::kNamingRuleNeedsToken;
    QTest::newRow("buffer 0") << "<year>" << "0" << "0" << int(OptionsPage::CdRom) << "bufferSizeEdit"
                              << "Please enter an integer between 1 and 255.";
    QTest::newRow("buffer empty") << "<year>" << "" << "0" << int(OptionsPage::CdRom) << "bufferSizeEdit"
                                  << "Please enter an integer between 1 and 255.";
    QTest::newRow("leading 15001") << "<title>" << "26" << "15001" << int(OptionsPage::CdRom)
                                   << "leadingFramesEdit" << "Please enter an integer between 0 and 15000.";
  }
  void refusalShowsItsPage() {
    QFETCH(QString, ruleText);
    QFETCH(QString, bufferText);
    QFETCH(QString, leadingText);
    QFETCH(int, page);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    Program program(test::kSampleCue, kQuietRips);
    RecordingNotice notice;
    auto dialog = SheetOf(program, notice);
    dialog->show();
    dialog->ShowPage(OptionsPage::Misc2);
    Child<QComboBox>(*dialog, "namingRuleBox")->setEditText(ruleText);
    Child<QLineEdit>(*dialog, "bufferSizeEdit")->setText(bufferText);
    Child<QCheckBox>(*dialog, "deleteSilenceBox")->setChecked(true);
    Child<QLineEdit>(*dialog, "leadingFramesEdit")->setText(leadingText);
    ClickOk(*dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->accepted());
    QCOMPARE(int(dialog->currentPage()), page);
    QCOMPARE(notice.texts, std::vector<std::string>{message.toStdString()});
    QVERIFY(dialog->focusWidget() != nullptr);
    QCOMPARE(dialog->focusWidget()->objectName(), focus);
  }

  // The controls a box governs follow it, as soon as it is clicked.
  void boxesEnableTheirControls() {
    Program program(test::kSampleCue, kQuietRips);
    RecordingNotice notice;
    auto dialog = SheetOf(program, notice);
    auto* useProxy = Child<QCheckBox>(*dialog, "useProxyBox");
    auto* authorization = Child<QCheckBox>(*dialog, "authorizationBox");
    auto* vbr = Child<QCheckBox>(*dialog, "enableVbrBox");
    auto* silence = Child<QCheckBox>(*dialog, "deleteSilenceBox");
    for (QCheckBox* box : {useProxy, authorization, vbr, silence}) box->setChecked(false);
    QVERIFY(!Child<QLineEdit>(*dialog, "proxyServerEdit")->isEnabled());
    QVERIFY(!authorization->isEnabled());
    QVERIFY(!Child<QComboBox>(*dialog, "maxBitRateBox")->isEnabled());
    QVERIFY(!Child<QLineEdit>(*dialog, "trailingFramesEdit")->isEnabled());
    useProxy->click();
    QVERIFY(Child<QSpinBox>(*dialog, "proxyPortSpin")->isEnabled());
    QVERIFY(authorization->isEnabled());
    QVERIFY(!Child<QLineEdit>(*dialog, "passwordEdit")->isEnabled());
    authorization->click();
    QVERIFY(Child<QLineEdit>(*dialog, "userNameEdit")->isEnabled());
    QVERIFY(Child<QLineEdit>(*dialog, "passwordEdit")->isEnabled());
    useProxy->click();
    QVERIFY(!Child<QLineEdit>(*dialog, "passwordEdit")->isEnabled());
    vbr->click();
    QVERIFY(Child<QCheckBox>(*dialog, "writeVbrHeaderBox")->isEnabled());
    QVERIFY(Child<QComboBox>(*dialog, "vbrQualityBox")->isEnabled());
    silence->click();
    QVERIFY(Child<QLineEdit>(*dialog, "leadingFramesEdit")->isEnabled());
  }

  // New colours reach the list at once; "Set Default" brings the defaults back and
  // keeps the shadow box.
  void coloursReachTheListAndSetDefaultRestoresThem() {
    Program program(test::kSampleCue, kQuietRips);
    QVERIFY(RunModal<OptionsDialog>(program, Command::Options, [](OptionsDialog& dialog) {
      dialog.ShowPage(OptionsPage::Appearance);
      dialog.SetColour(OptionsDialog::Colour::Background, 0x00563412);  // 0x00BBGGRR
      Child<QCheckBox>(dialog, "drawShadowBox")->setChecked(false);
      ClickOk(dialog);
    }));
    QCOMPARE(program.session->settings().BackgroundColor, 0x00563412);
    QCOMPARE(program.list().palette().color(QPalette::Base), QColor(0x12, 0x34, 0x56));

    QVERIFY(RunModal<OptionsDialog>(program, Command::Options, [](OptionsDialog& dialog) {
      Child<QPushButton>(dialog, "setDefaultButton")->click();
      ClickOk(dialog);
    }));
    const Settings defaults;
    QCOMPARE(program.session->settings().BackgroundColor, defaults.BackgroundColor);
    QCOMPARE(program.session->settings().TextColor, defaults.TextColor);
    QCOMPARE(program.session->settings().BoolShadowColor, 0);
  }

  // A colour button opens the chooser on the colour it sets; the chooser's custom
  // colours come from the program folder and go back there, even on Cancel.
  void colourChooserKeepsCustomColoursInTheProgramFolder() {
    Program program(test::kSampleCue, kQuietRips);
    const std::string folder = program.session->folders().programFolder;
    CustomColours saved{};
    saved[1] = 0x00030201;
    QVERIFY(SaveCustomColours(folder, saved));
    RecordingNotice notice;
    auto dialog = SheetOf(program, notice);
    dialog->show();
    {
      test::WhenModal<QColorDialog> chooser([](QColorDialog& colours) {
        QCOMPARE(colours.currentColor(), QColor(0x00, 0xFF, 0x00));  // the text colour, green
        QCOMPARE(QColorDialog::customColor(1), QColor(0x01, 0x02, 0x03));
        QColorDialog::setCustomColor(0, QColor(0x10, 0x20, 0x30));
        colours.setCurrentColor(QColor(0xAA, 0xBB, 0xCC));
        colours.accept();
      });
      Child<QPushButton>(*dialog, "colourButton0")->click();
      QVERIFY(chooser.done());
    }
    CustomColours kept = LoadCustomColours(folder);
    QCOMPARE(kept[0], 0x00302010);
    QCOMPARE(kept[1], 0x00030201);
    {
      test::WhenModal<QColorDialog> chooser([](QColorDialog& colours) {
        QColorDialog::setCustomColor(2, QColor(0x40, 0x50, 0x60));
        colours.setCurrentColor(Qt::red);
        colours.reject();
      });
      Child<QPushButton>(*dialog, "colourButton4")->click();
      QVERIFY(chooser.done());
    }
    QCOMPARE(LoadCustomColours(folder)[2], 0x00605040);
    ClickOk(*dialog);
    QVERIFY(dialog->accepted());
    QCOMPARE(dialog->accepted()->TextColor, 0x00CCBBAA);
    QCOMPARE(dialog->accepted()->BackgroundColor, Settings().BackgroundColor);
  }

  // " Advanced" sets the three header bits; its Cancel keeps them.
  void advancedSetsTheHeaderBits() {
    Program program(test::kSampleCue, kQuietRips);
    RecordingNotice notice;
    auto dialog = SheetOf(program, notice);
    dialog->show();
    for (bool confirm : {false, true}) {
      test::WhenModal<QDialog> advanced([confirm](QDialog& bits) {
        QCOMPARE(bits.windowTitle(), QString(text::kOptionsAdvancedCaption));
        Child<QCheckBox>(bits, "copyrightBox")->setChecked(false);
        Child<QCheckBox>(bits, "privateBox")->setChecked(false);
        confirm ? bits.accept() : bits.reject();
      });
      Child<QPushButton>(*dialog, "advancedButton")->click();
      QVERIFY(advanced.done());
    }
    ClickOk(*dialog);
    QVERIFY(dialog->accepted());
    QCOMPARE(dialog->accepted()->Copyright, 0);
    QCOMPARE(dialog->accepted()->Original, 1);
    QCOMPARE(dialog->accepted()->Private, 0);
  }

  // Previous is off on the first row, Next on the last; stepping moves the main
  // window's highlight and the caption.
  void stepsThroughTheRows() {
    Program program(test::kSampleCue, kQuietRips);
    program.session->disc().tracks().Highlight(0);
    QVERIFY(RunModal<TrackInfoDialog>(program, Command::TrackInfo, [&](TrackInfoDialog& dialog) {
      auto* previous = Child<QPushButton>(dialog, "previousButton");
      auto* next = Child<QPushButton>(dialog, "nextButton");
      QVERIFY(!previous->isEnabled());
      QVERIFY(next->isEnabled());
      QCOMPARE(dialog.windowTitle(), QString("Track Information [#01]"));
      for (int i = 0; i < 4; ++i) next->click();
      QVERIFY(!next->isEnabled());
      QVERIFY(previous->isEnabled());
      QCOMPARE(dialog.windowTitle(), QString("Track Information [#05]"));
      QCOMPARE(program.list().currentItem(), program.list().topLevelItem(4));
      previous->click();
      QVERIFY(next->isEnabled());
      QCOMPARE(Child<QLineEdit>(dialog, "titleEdit")->selectedText(), QString("Track 4"));
      dialog.reject();
    }));
    QCOMPARE(program.list().currentItem(), program.list().topLevelItem(3));
  }

  // Next stores at once: the row shows the new title before the dialog closes, and a
  // later Cancel keeps it (only the track then shown is not stored). A typed genre
  // stays as typed.
  void nextStoresAtOnceAndCancelKeepsIt() {
    Program program(test::kSampleCue, kQuietRips);
    program.session->disc().tracks().Highlight(1);
    QVERIFY(RunModal<TrackInfoDialog>(program, Command::TrackInfo, [&](TrackInfoDialog& dialog) {
      Child<QLineEdit>(dialog, "titleEdit")->setText("Two Tones");
      Child<QComboBox>(dialog, "genreBox")->setEditText("Chip Tune Jazz");
      Child<QPushButton>(dialog, "nextButton")->click();
      QCOMPARE(program.Title(1), QString("Two Tones"));
      Child<QLineEdit>(dialog, "titleEdit")->setText("Never Stored");
      Child<QPushButton>(dialog, "cancelButton")->click();
    }));
    const DiscRecord& record = program.session->disc().disc();
    QCOMPARE(program.Title(1), QString("Two Tones"));
    QCOMPARE(record.entries[2].Title, std::string("Two Tones"));
    QCOMPARE(record.entries[2].GenreName, std::string("Chip Tune Jazz"));
    QCOMPARE(program.Title(2), QString("Track 3"));
    QCOMPARE(record.entries[3].Title, std::string("Track 3"));
  }

  // After a move, the dialog edits the track the highlighted row shows.
  void editsTheTrackOfTheHighlightedRow() {
    Program program(test::kSampleCue, kQuietRips);
    program.session->disc().tracks().Highlight(0);
    program.Trigger(Command::MoveDown);  // row 1 now shows track 1
    QVERIFY(RunModal<TrackInfoDialog>(program, Command::TrackInfo, [](TrackInfoDialog& dialog) {
      QCOMPARE(dialog.windowTitle(), QString("Track Information [#01]"));
      QCOMPARE(Child<QLineEdit>(dialog, "titleEdit")->text(), QString("Track 1"));
      Child<QLineEdit>(dialog, "artistEdit")->setText("Ann");
      dialog.accept();
    }));
    QCOMPARE(program.session->disc().disc().entries[1].Artist, std::string("Ann"));
    QCOMPARE(program.session->disc().disc().entries[2].Artist, std::string());
  }

  // "&More >>" shows the extended part and becomes "<< &Less".
  void moreShowsTheExtendedPart() {
    Program program(test::kSampleCue, kQuietRips);
    program.session->disc().tracks().Highlight(0);
    QVERIFY(RunModal<TrackInfoDialog>(program, Command::TrackInfo, [](TrackInfoDialog& dialog) {
      auto* more = Child<QPushButton>(dialog, "moreButton");
      QVERIFY(!Child<QLineEdit>(dialog, "composerEdit")->isVisible());
      const int collapsed = dialog.height();
      more->click();
      QVERIFY(Child<QLineEdit>(dialog, "composerEdit")->isVisible());
      QCOMPARE(more->text(), QString(text::kTrackInfoLessButton));
      QTRY_VERIFY(dialog.height() > collapsed);
      more->click();
      QCOMPARE(more->text(), QString(text::kTrackInfoMoreButton));
      dialog.reject();
    }));
  }

  // "Copy info to each track" on a 12-track disc: artist, album and year in every
  // track, the titles kept; the year keeps its digits only. Cancel afterwards keeps
  // what the copy stored.
  void copyInfoToEachTrackOfATwelveTrackDisc() {
    test::TempFolder images;
    Program program(test::WriteSilentDisc(images, 12), kQuietRips);
    program.session->disc().SetTrackTitle(7, "Seventh");
    QVERIFY(RunModal<DiscInfoDialog>(program, Command::DiscInfo, [](DiscInfoDialog& dialog) {
      QVERIFY(Child<QLabel>(dialog, "volumeText")->text().endsWith("\nTotal Tracks:  12"));
      Child<QLineEdit>(dialog, "artistEdit")->setText("Ann");
      Child<QLineEdit>(dialog, "albumEdit")->setText("Songs");
      QTest::keyClicks(Child<QLineEdit>(dialog, "yearEdit"), "19x84");
      Child<QComboBox>(dialog, "genreBox")->setEditText("Chip Tune Jazz");
      Child<QPushButton>(dialog, "copyButton")->click();
      Child<QPushButton>(dialog, "cancelButton")->click();
    }));
    const DiscRecord& record = program.session->disc().disc();
    QCOMPARE(record.entries[0].Artist, std::string("Ann"));
    QCOMPARE(record.entries[0].GenreName, std::string("Chip Tune Jazz"));
    QCOMPARE(record.entries[0].GenreIndex, kGenreOther);
    for (int track = 1; track <= 12; ++track) {
      const TagSet& entry = record.entries[static_cast<size_t>(track)];
      QCOMPARE(entry.Artist, std::string("Ann"));
      QCOMPARE(entry.Album, std::string("Songs"));
      QCOMPARE(entry.Year, std::string("1984"));
      QCOMPARE(entry.Title, track == 7 ? std::string("Seventh") : "Track " + std::to_string(track));
    }
    QCOMPARE(record.entries[13].Artist, std::string());
  }
};

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
