#include "cdrom/bad_sectors.h"

#include <algorithm>

#include "core/number_text.h"
#include "core/string_table.h"
#include "core/text_format.h"

namespace sonvarek {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
  std::optional<Number> number = ParseWholeNumber<Number>(Trim(text));
  if (number) value = *number;
  return number.has_value();
}

bool ParseRange(std::string_view part, BadSectorList::Range& range) {
  size_t star = part.find('*');
  if (star != std::string_view::npos) {
    if (!ParseWhole(part.substr(star + 1), range.failures) || range.failures < 0) return false;
    part = part.substr(0, star);
  }
  size_t dash = part.find('-');
  if (dash == std::string_view::npos) {
    if (!ParseWhole(part, range.first)) return false;
    range.last = range.first;
    return true;
  }
  return ParseWhole(part.substr(0, dash), range.first) && ParseWhole(part.substr(dash + 1), range.last) &&
         range.first <= range.last;
}

}  // namespace

std::optional<BadSectorList> BadSectorList::Parse(std::string_view text, std::string& error) {
  BadSectorList list;
  if (Trim(text).empty()) return list;
  while (true) {
    size_t comma = text.find(',');
    std::string_view part = text.substr(0, comma);
    Range range;
    if (!ParseRange(part, range)) {
      error = FormatText(text::kBadSectorRangeUnreadable, std::string(Trim(part)));
      return std::nullopt;
    }
    list.Add(range);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return list;
}

bool BadSectorList::ReadFails(uint32_t first, uint32_t count) {
  if (count == 0) return false;
  uint64_t last = static_cast<uint64_t>(first) + count - 1;
  for (Range& range : ranges_) {
    if (range.last < first || range.first > last || range.failures == 0) continue;
    if (range.failures > 0) --range.failures;
    return true;
  }
  return false;
}

std::vector<bool> BadSectorList::TakeRead(uint32_t first, uint32_t count) {
  std::vector<bool> misbehaving(count, false);
  if (count == 0) return misbehaving;
  uint64_t last = static_cast<uint64_t>(first) + count - 1;
  for (Range& range : ranges_) {
    if (range.last < first || range.first > last || range.failures == 0) continue;
    if (range.failures > 0) --range.failures;
    uint64_t end = std::min<uint64_t>(range.last, last);
    for (uint64_t sector = std::max(range.first, first); sector <= end; ++sector) misbehaving[sector - first] = true;
  }
  return misbehaving;
}

}  // namespace sonvarek
