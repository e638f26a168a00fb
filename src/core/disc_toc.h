#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sonvarek {

inline constexpr size_t kTocBytes = 804;
inline constexpr int kTocDescriptors = 100;
inline constexpr uint8_t kLeadOutTrack = 0xAA;

// One 8-byte track descriptor of a READ TOC reply.
struct TocDescriptor {
  uint8_t adrControl = 0;   // ADR in the high nibble, control in the low one
  uint8_t trackNumber = 0;  // 0xAA for the lead-out
  uint32_t address = 0;     // bytes 4-7 big-endian: a logical block address, or 0/M/S/F

  bool IsData() const { return (adrControl & 0x04) != 0; }
};

// The table of contents as READ TOC (format 0) returns it, kept whole: two TOCs are
// the same disc exactly when all 804 bytes agree. Multi-byte numbers are big-endian.
struct DiscTOC {
  std::array<uint8_t, kTocBytes> bytes{};

  uint16_t DataLength() const { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }
  uint8_t FirstTrack() const { return bytes[2]; }
  uint8_t LastTrack() const { return bytes[3]; }
  // last − first + 1 when both are track numbers (1..99) and first ≤ last, else 0:
  // a header that does not describe a disc lists no tracks.
  int TrackCount() const;
  // Descriptor k (0..99); the one after the last track is the lead-out.
  TocDescriptor Descriptor(int k) const;
  // The address of descriptor k as a logical block address, for a TOC read with the
  // msf flag set (minute/second/frame, lead-in removed) or clear.
  uint32_t SectorOf(int k, bool msf) const;

  bool operator==(const DiscTOC&) const = default;
};

// A track as the track list shows it, from a TOC read with logical block addresses.
struct TocTrack {
  int number = 0;
  uint32_t startSector = 0;
  uint32_t endSector = 0;  // exclusive: the next descriptor's address
  bool isData = false;
  std::string lengthText;  // "%02d:%02d"
  std::string sizeText;    // "%0.2f" MiB

  uint32_t Length() const { return endSector - startSector; }
};

// The tracks from the first to the last track number, in descriptor order.
std::vector<TocTrack> TracksFromToc(const DiscTOC& toc);

// The lead-out address (the end of the last track); 0 when the TOC lists no tracks.
uint32_t LeadOutSector(const DiscTOC& toc);

// Media change: a fresh TOC that differs in any of the 804 bytes is another disc.
bool TocChanged(const DiscTOC& kept, const DiscTOC& fresh);

}  // namespace sonvarek
