#include "freedb/submit_dialog.h"

#include <algorithm>

#include "core/number_text.h"
#include "core/profile_file.h"
#include "core/settings.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "core/window_messages.h"

namespace sonvarek {
namespace {

// xmcd lines stay within 256 bytes: a longer value goes on over further lines with
// the same key, which readers join again.
constexpr size_t kLongestXmcdLine = 256;

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// "KEY=value\r\n", over several lines when the value is long, never splitting a
// UTF-8 character.
std::string XmcdLines(std::string_view key, std::string_view rawValue) {
  // A line break would end the value and start a key of its own.
  std::string value = LineBreaksAsBlanks(rawValue);
  size_t room = kLongestXmcdLine - key.size() - 1;
  std::string lines;
  size_t at = 0;
  do {
    size_t end = std::min(value.size(), at + room);
    while (end < value.size() && end > at && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    if (end == at) end = std::min(value.size(), at + room);  // not UTF-8 at all: cut anywhere
    lines += std::string(key) + "=" + value.substr(at, end - at) + "\r\n";
    at = end;
  } while (at < value.size());
  return lines;
}

std::string XmcdText(const SubmitEditor& editor, const DiscIdInfo& info) {
  std::string xmcd = "# xmcd\r\n#\r\n# Track frame offsets:\r\n";
  for (int k = 0; k < info.trackCount; ++k) xmcd += FormatText("#  %d\r\n", info.frameOffsets[static_cast<size_t>(k)]);
  xmcd += FormatText("#\r\n# Disc length: %d seconds\r\n#\r\n", info.DiscLengthSeconds());
  xmcd += FormatText("# Revision: %d\r\n", SubmitRevision(editor.revision));
  xmcd += FormatText("# Submitted via: %s\r\n", std::string(text::kCddbSubmittedVia));
  xmcd += FormatText("DISCID=%x\r\n", info.discId);
  xmcd += XmcdLines("DTITLE", editor.artist + " / " + editor.album);
  for (size_t i = 0; i < editor.titles.size(); ++i) xmcd += XmcdLines(FormatText("TTITLE%zu", i), editor.titles[i]);
  xmcd += "EXTD=\r\n";
  for (size_t i = 0; i < editor.titles.size(); ++i) xmcd += FormatText("EXTT%zu=\r\n", i);
  xmcd += "PLAYORDER=\r\n";
  return xmcd;
}

}  // namespace

bool SubmitEmailAccepted(std::string_view email) {
  return !email.empty() && email != Settings{}.Email && email.find('@') != std::string_view::npos &&
         email.find('.') != std::string_view::npos;
}

int CddbGenreIndex(std::string_view genreName) {
  std::string lower = LowerAscii(genreName);
  for (size_t i = 0; i < kCddbGenres.size(); ++i) {
    if (kCddbGenres[i] == lower) return static_cast<int>(i);
  }
  return -1;
}

SubmitEditor FillSubmitEditor(const DiscRecord& disc) {
  SubmitEditor editor;
  editor.artist = disc.entries[0].Artist;
  editor.album = disc.entries[0].Album;
  editor.genre = CddbGenreIndex(disc.entries[0].GenreName);
  editor.revision = std::to_string(disc.hasRevision ? disc.revision + 1 : 0);
  for (int n = 1; n < disc.entryCount && n < kDiscEntries; ++n) editor.titles.push_back(disc.entries[static_cast<size_t>(n)].Title);
  return editor;
}

std::optional<std::string> SubmitValidationMessage(const SubmitEditor& editor) {
  if (editor.artist.empty()) return text::kSubmitNeedsArtist;
  if (editor.album.empty()) return text::kSubmitNeedsAlbum;
  if (editor.genre < 0 || editor.genre >= static_cast<int>(kCddbGenres.size())) return text::kSubmitNeedsGenre;
  for (size_t row = 0; row < editor.titles.size(); ++row) {
    int position = static_cast<int>(row) + 1;
    if (editor.titles[row] == FormatText(text::kTrackTitleFormat, position)) {
      return FormatText(text::kSubmitMissingTitle, position);
    }
  }
  return std::nullopt;
}

int32_t SubmitRevision(std::string_view text) { return ParseWholeNumber<int32_t>(text).value_or(0); }

std::string SubmitRequestText(const SubmitEditor& editor, const DiscIdInfo& info, std::string_view email) {
  std::string genre = editor.genre >= 0 && editor.genre < static_cast<int>(kCddbGenres.size())
                          ? std::string(kCddbGenres[static_cast<size_t>(editor.genre)])
                          : std::string();
  std::string headers = FormatText("Category: %s\r\n", genre);
  headers += FormatText("Discid: %08x\r\n", info.discId);
  headers += FormatText("User-Email: %s\r\n", LineBreaksAsBlanks(email));
  headers += "Submit-Mode: submit\r\n";
  headers += "Charset: UTF-8\r\n";
  headers += "X-Cddbd-Note: " + FormatText(text::kSubmitNote, std::string(text::kHomePage)) + "\r\n";
  std::string xmcd = XmcdText(editor, info);
  headers += FormatText("Content-Length: %zu\r\n\r\n\r\n", xmcd.size());
  return headers + xmcd + "\r\n";
}

SubmitDialog::SubmitDialog(CddbRequest request, std::shared_ptr<MessageSink> window, DiscInfoTarget& target,
                           std::string diagnosticPath, SubmitEditor editor)
    : request_(std::move(request)),
      window_(std::move(window)),
      target_(target),
      diagnosticPath_(std::move(diagnosticPath)),
      editor_(std::move(editor)),
      status_(text::kSubmitRetrievingGenres),
      errorText_(text::kSubmitUnknownError) {}

void SubmitDialog::EditTitle(size_t row, std::string title) {
  if (row >= editor_.titles.size()) return;
  target_.SetTrackTitle(static_cast<int>(row), title);
  editor_.titles[row] = std::move(title);
}

std::optional<std::string> SubmitDialog::Submit(const DiscIdInfo& info) {
  if (state_ != State::Idle || !submitEnabled_) return std::nullopt;
  if (std::optional<std::string> message = SubmitValidationMessage(editor_)) return message;
  std::string genre(kCddbGenres[static_cast<size_t>(editor_.genre)]);
  target_.SetDiscInfo(editor_.artist, editor_.album, genre);
  CddbRequest request = request_;
  request.requestText = SubmitRequestText(editor_, info, request.email);
  state_ = State::Submitting;
  submitEnabled_ = false;
  pane_ = SubmitPane::Progress;
  worker_.StartSubmit(std::move(request), window_, diagnosticPath_);
  return std::nullopt;
}

void SubmitDialog::Finish(SubmitPane pane) {
  if (state_ == State::Cancelling) return;
  pane_ = pane;
  finished_ = true;
  state_ = State::Idle;
}

void SubmitDialog::Handle(const WindowMessage& message) {
  switch (message.id) {
    case Message::CddbStatus:
      status_ = message.text;
      return;
    case Message::CddbSubmitOk:
      return Finish(SubmitPane::Succeeded);
    case Message::CddbSubmitError:
      if (state_ != State::Cancelling) errorText_ = message.text;
      return Finish(SubmitPane::Failed);
    case Message::CddbClose:
      busy_ = false;
      end_ = DialogEnd::Cancelled;
      return;
    default:
      return;
  }
}

void SubmitDialog::Cancel() {
  if (state_ == State::Idle) {
    end_ = finished_ ? DialogEnd::Ok : DialogEnd::Cancelled;
    return;
  }
  if (state_ == State::Cancelling) return;
  state_ = State::Cancelling;
  cancelEnabled_ = false;
  status_ = text::kCddbCancelSubmitting;
  busy_ = true;
  waiter_ = worker_.CancelForClose(window_);
}

}  // namespace sonvarek
