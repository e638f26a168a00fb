#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cdrom/disc_reader.h"
#include "cdrom/scsi_driver.h"
#include "core/records.h"
#include "core/settings.h"
#include "platform/user_notice.h"
#include "session/track_list.h"

namespace sonvarek {

// The drive a disc comes from: a unit of the drive list (`device`; the CDROMDriver
// setting when none is given) or one disc image alone.
struct DriveChoice {
  std::optional<int32_t> device;
  std::string image;
};

enum class DiscResult {
  Ready,           // the drive is open (and, for a disc read, its audio disc read)
  NoDrive,         // no unit at all ("No CDROM found!" told)
  MalformedInput,  // a disc image or the bad-sector list is malformed (its error told)
  NoSuchUnit,      // the unit asked for is not in the list (told)
  NoAudioDisc,     // the table of contents could not be read or lists no track (told)
};

// The main window's disc without its view: the CD driver of the chosen unit, the
// table of contents, the disc record and the track list made from them. Every
// failure is told through the notice where it is met; the results say which it was.
// `settings` are the program's: a unit chosen here is stored in CDROMDriver.
class DiscSession {
 public:
  DiscSession(Settings& settings, UserNotice& notice) : settings_(settings), notice_(notice) {}

  // Makes the driver as start-up does: the system's drives, the images of
  // $SONVAREK_CD_IMAGE and `extraImages` (or `choice.image` alone), with the unit of
  // the choice selected.
  DiscResult OpenDrive(const DriveChoice& choice, const std::vector<std::string>& extraImages = {});
  // Reads the disc in the open drive into the record and the track list (all rows
  // checked when AutoSelectAll is set).
  DiscResult ReadDisc(const DiscLookUp& lookUp = {});
  // OpenDrive, then ReadDisc.
  DiscResult Open(const DriveChoice& choice);

  std::span<const DeviceRecord> Units() const;
  CSCSIDriver* driver() { return driver_.get(); }
  const DiscTOC& toc() const { return toc_; }
  DiscRecord& disc() { return disc_; }
  const DiscReading& reading() const { return reading_; }
  TrackList& tracks() { return tracks_; }

  // The disc's artist and album (an absent one keeps what the record has), as a
  // look-up would set them.
  void SetDiscTexts(const std::optional<std::string>& artist, const std::optional<std::string>& album);
  // The title of track `track` in the record and its row; false for no such track.
  bool SetTrackTitle(int track, std::string_view title);
  // Checks exactly the tracks of `list` ("1,3-5"; every audio track when empty).
  // False, changing nothing, when the list is malformed or names a track that is not
  // an audio track of this disc.
  bool SelectTracks(std::string_view list);

 private:
  DiscResult OpenImage(const std::string& image);
  DiscResult NoDriveResult(const std::vector<std::string>& imagePaths);

  Settings& settings_;
  UserNotice& notice_;
  std::unique_ptr<CSCSIDriver> driver_;
  DiscTOC toc_{};
  DiscRecord disc_;
  DiscReading reading_;
  TrackList tracks_;
};

}  // namespace sonvarek
