#include "cdrom/device_enumeration.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

#include "core/number_text.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

// N of a name "<prefix>N"; nothing for other names.
std::optional<int> NumberAfter(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
  return ParseWholeNumber<int>(name.substr(prefix.size()));
}

// Entries of `folder` named prefix + number, sorted by number.
std::vector<std::pair<int, std::string>> NumberedEntries(const fs::path& folder, std::string_view prefix) {
  std::vector<std::pair<int, std::string>> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (std::optional<int> number = NumberAfter(name, prefix)) entries.emplace_back(*number, name);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// The SCSI address from the target of the `device` link (".../H:C:T:L").
void ReadAddress(const fs::path& deviceLink, UnitLocation& location) {
  std::error_code error;
  fs::path target = fs::read_symlink(deviceLink, error);
  if (!error) ParseScsiAddress(target.filename().string(), location);
}

std::string ReadFirstLine(const fs::path& path) {
  std::ifstream stream(path);
  std::string line;
  std::getline(stream, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

bool ParseScsiAddress(std::string_view text, UnitLocation& location) {
  int32_t numbers[4] = {};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    auto [next, error] = std::from_chars(at, end, numbers[i]);
    if (error != std::errc()) return false;
    at = next;
    if (i < 3) {
      if (at == end || *at != ':') return false;
      ++at;
    }
  }
  if (at != end) return false;
  location.host = numbers[0];
  location.channel = numbers[1];
  location.target = numbers[2];
  location.lun = numbers[3];
  return true;
}

std::vector<UnitLocation> ListCdBlockDevices(const DeviceRoots& roots, size_t limit) {
  std::vector<UnitLocation> units;
  fs::path block = fs::path(roots.sysfs) / "block";
  for (const auto& [number, name] : NumberedEntries(block, "sr")) {
    if (units.size() >= limit) break;
    UnitLocation unit;
    unit.path = (fs::path(roots.dev) / name).string();
    ReadAddress(block / name / "device", unit);
    units.push_back(std::move(unit));
  }
  return units;
}

std::vector<UnitLocation> ListGenericCdDevices(const DeviceRoots& roots, size_t limit) {
  std::vector<UnitLocation> units;
  fs::path generic = fs::path(roots.sysfs) / "class" / "scsi_generic";
  for (const auto& [number, name] : NumberedEntries(generic, "sg")) {
    if (ReadFirstLine(generic / name / "device" / "type") != "5") continue;
    UnitLocation unit;
    unit.path = (fs::path(roots.dev) / name).string();
    ReadAddress(generic / name / "device", unit);
    units.push_back(std::move(unit));
  }
  std::stable_sort(units.begin(), units.end(), [](const UnitLocation& a, const UnitLocation& b) {
    return std::tie(a.host, a.channel, a.target, a.lun) < std::tie(b.host, b.channel, b.target, b.lun);
  });
  if (units.size() > limit) units.resize(limit);
  return units;
}

}  // namespace sonvarek
