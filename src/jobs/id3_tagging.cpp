#include "jobs/id3_tagging.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <id3.h>
#include <memory>
#include <vector>

#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/id3_text.h"

namespace sonvarek {
namespace {

void PutField(std::array<uint8_t, kId3v1TagSize>& tag, size_t offset, size_t size, const std::string& utf8) {
  std::string latin1 = Latin1FromUtf8(utf8);
  std::memcpy(&tag[offset], latin1.data(), std::min(size, latin1.size()));
}

struct TagDeleter {
  void operator()(ID3Tag* tag) const { ID3Tag_Delete(tag); }
};
struct FrameDeleter {
  void operator()(ID3Frame* frame) const { ID3Frame_Delete(frame); }
};
using TagOwner = std::unique_ptr<ID3Tag, TagDeleter>;
using FrameOwner = std::unique_ptr<ID3Frame, FrameDeleter>;

struct FrameText {
  ID3_FrameID id;
  ID3_FieldID field;
  std::string text;
};

// URLs are ISO-8859-1 by the tag format; bytes beyond ASCII are percent-encoded,
// as a URI carries them, rather than shown as other characters.
std::string UrlText(const std::string& utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

// id3lib keeps UTF-16 text big-endian inside and copies the caller's units byte by
// byte into it, so the units go in with their bytes in big-endian order; it writes
// them out in the order of its byte-order mark.
std::vector<unicode_t> Id3libUnicode(const std::string& utf8) {
  std::vector<unicode_t> units;
  for (uint16_t unit : Utf16FromUtf8(utf8)) {
    units.push_back(std::endian::native == std::endian::little ? static_cast<unicode_t>((unit >> 8) | (unit << 8))
                                                                : unit);
  }
  units.push_back(0);
  return units;
}

void SetText(ID3Frame* frame, ID3Field* field, const std::string& utf8) {
  ID3Field* encoding = ID3Frame_GetField(frame, ID3FN_TEXTENC);
  if (std::optional<std::string> latin1 = ExactLatin1FromUtf8(utf8)) {
    if (encoding != nullptr) ID3Field_SetINT(encoding, ID3TE_ISO8859_1);
    ID3Field_SetEncoding(field, ID3TE_ISO8859_1);
    ID3Field_SetASCII(field, latin1->c_str());
    return;
  }
  std::vector<unicode_t> terminated = Id3libUnicode(utf8);
  if (encoding != nullptr) ID3Field_SetINT(encoding, ID3TE_UTF16);
  ID3Field_SetEncoding(field, ID3TE_UTF16);
  ID3Field_SetUNICODE(field, terminated.data());
}

void SetFrame(ID3Tag* tag, const FrameText& frameText) {
  FrameOwner created;
  ID3Frame* frame = ID3Tag_FindFrameWithID(tag, frameText.id);
  if (frame == nullptr) {
    created.reset(ID3Frame_NewID(frameText.id));
    frame = created.get();
  }
  if (frame == nullptr) return;
  ID3Field* field = ID3Frame_GetField(frame, frameText.field);
  if (field == nullptr) return;
  if (frameText.field == ID3FN_URL) {
    ID3Field_SetASCII(field, UrlText(frameText.text).c_str());
  } else {
    SetText(frame, field, frameText.text);
  }
  if (created && ID3Tag_AttachFrame(tag, created.get())) (void)created.release();  // the tag owns it now
}

void RemoveFrame(ID3Tag* tag, ID3_FrameID id) {
  if (ID3Frame* frame = ID3Tag_FindFrameWithID(tag, id)) FrameOwner(ID3Tag_RemoveFrame(tag, frame));
}

std::vector<FrameText> FramesOf(const ConversionJob& job) {
  const TagSet& tags = job.tags;
  std::vector<FrameText> frames = {
      {ID3FID_TITLE, ID3FN_TEXT, tags.Title},
      {ID3FID_LEADARTIST, ID3FN_TEXT, tags.Artist},
      {ID3FID_ALBUM, ID3FN_TEXT, tags.Album},
      {ID3FID_YEAR, ID3FN_TEXT, tags.Year},
      {ID3FID_COMMENT, ID3FN_TEXT, tags.Comment},
      {ID3FID_COMPOSER, ID3FN_TEXT, tags.Composer},
      {ID3FID_ORIGARTIST, ID3FN_TEXT, tags.OrigArtist},
      {ID3FID_COPYRIGHT, ID3FN_TEXT, tags.Copyright},
      {ID3FID_WWWUSER, ID3FN_URL, tags.URL.empty() ? std::string(text::kHomePage) : tags.URL},
      {ID3FID_ENCODEDBY, ID3FN_TEXT, tags.EncodedBy.empty() ? std::string(text::kProductName) : tags.EncodedBy},
  };
  if (job.trackIndex >= 0) frames.push_back({ID3FID_TRACKNUM, ID3FN_TEXT, FormatText("%02d", job.trackIndex + 1)});
  if (!tags.GenreName.empty()) {
    frames.push_back({ID3FID_CONTENTTYPE, ID3FN_TEXT,
                      FormatText("(%d)%s", GenreIndexFromName(tags.GenreName), tags.GenreName)});
  }
  return frames;
}

}  // namespace

std::string DefaultComment() { return FormatText(text::kDefaultCommentFormat, text::kProductName, text::kHomePage); }

std::array<uint8_t, kId3v1TagSize> BuildId3v1Tag(const ConversionJob& job) {
  std::array<uint8_t, kId3v1TagSize> tag{};
  std::memcpy(&tag[0], "TAG", 3);
  PutField(tag, 3, 30, job.tags.Title);
  PutField(tag, 33, 30, job.tags.Artist);
  PutField(tag, 63, 30, job.tags.Album);
  PutField(tag, 93, 4, job.tags.Year);
  if (job.trackIndex >= 0) {
    PutField(tag, 97, 28, job.tags.Comment);
    tag[126] = static_cast<uint8_t>(job.trackIndex + 1);
  } else {
    PutField(tag, 97, 30, job.tags.Comment);
  }
  tag[127] = static_cast<uint8_t>(GenreIndexFromName(job.tags.GenreName));
  return tag;
}

void WriteId3v2Tag(const std::string& path, const ConversionJob& job) {
  TagOwner tag(ID3Tag_New());
  if (!tag) return;
  ID3Tag_Link(tag.get(), path.c_str());
  for (const FrameText& frame : FramesOf(job)) {
    if (!frame.text.empty()) SetFrame(tag.get(), frame);
  }
  if (job.tags.GenreName.empty()) RemoveFrame(tag.get(), ID3FID_CONTENTTYPE);
  ID3Tag_SetPadding(tag.get(), true);
  ID3Tag_UpdateByTagType(tag.get(), ID3TT_ID3V2);
}

}  // namespace sonvarek
