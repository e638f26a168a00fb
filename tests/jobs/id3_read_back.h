#pragma once

#include <algorithm>
#include <bit>
#include <id3.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/id3_text.h"

namespace sonvarek::test {

// A frame of a file's ID3v2 tag as id3lib reads it back, texts in UTF-8.
struct Id3Text {
  std::string text;
  ID3_TextEnc encoding = ID3TE_NONE;
};

// The ID3v2 tag of a file, read through id3lib (the ID3v1 tag is left out so that
// only what the ID3v2 tag holds is seen).
class Id3v2ReadBack {
 public:
  explicit Id3v2ReadBack(const std::string& path) : tag_(ID3Tag_New()) {
    ID3Tag_LinkWithFlags(tag_.get(), path.c_str(), ID3TT_ID3V2);
  }
  bool HasTag() const { return ID3Tag_HasTagType(tag_.get(), ID3TT_ID3V2); }
  // id3lib's search goes on from its last find and wraps, so repeated finds visit
  // every frame with this id once before the first comes round again.
  size_t FrameCount(ID3_FrameID id) const {
    std::vector<const ID3Frame*> seen;
    for (size_t i = 0; i < ID3Tag_NumFrames(tag_.get()); ++i) {
      const ID3Frame* frame = ID3Tag_FindFrameWithID(tag_.get(), id);
      if (frame == nullptr || std::find(seen.begin(), seen.end(), frame) != seen.end()) break;
      seen.push_back(frame);
    }
    return seen.size();
  }
  std::optional<Id3Text> Text(ID3_FrameID id, ID3_FieldID fieldId = ID3FN_TEXT) const {
    ID3Frame* frame = ID3Tag_FindFrameWithID(tag_.get(), id);
    if (frame == nullptr) return std::nullopt;
    ID3Field* field = ID3Frame_GetField(frame, fieldId);
    if (field == nullptr) return std::nullopt;
    Id3Text result;
    result.encoding = ID3Field_GetEncoding(field);
    if (result.encoding == ID3TE_UTF16 || result.encoding == ID3TE_UTF16BE) {
      // id3lib copies twice the count it is given in bytes, so ask for no more than it holds.
      const size_t capacity = ID3Field_Size(field) / 2;
      std::vector<unicode_t> buffer(capacity + 1, 0);
      size_t count = ID3Field_GetUNICODE(field, buffer.data(), capacity);
      // id3lib hands out its big-endian text byte by byte as the caller's units.
      std::vector<uint16_t> units;
      for (size_t i = 0; i < count; ++i) {
        const uint16_t unit = buffer[i];
        units.push_back(std::endian::native == std::endian::little ? static_cast<uint16_t>((unit >> 8) | (unit << 8))
                                                                   : unit);
      }
      result.text = Utf8FromUtf16(units);
    } else {
      std::vector<char> buffer(1024, 0);
      size_t count = ID3Field_GetASCII(field, buffer.data(), buffer.size() - 1);
      result.text = Utf8FromLatin1(std::string(buffer.data(), count));
    }
    return result;
  }

 private:
  struct Deleter {
    void operator()(ID3Tag* tag) const { ID3Tag_Delete(tag); }
  };
  std::unique_ptr<ID3Tag, Deleter> tag_;
};

}  // namespace sonvarek::test
