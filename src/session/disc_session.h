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
#include "freedb/disc_id.h"
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

// The three identifiers of the disc in the drive. An id whose table of contents could
// not be read (in minute/second/frame form) is absent.
struct DiscIds {
  std::optional<DiscIdInfo> freedb;
  uint32_t cacheId = 0;  // from the kept table of contents
  std::optional<uint32_t> volumeId;
};

// The main window's disc without its view: the CD driver of the chosen unit, the
// table of contents, the disc record and the track list made from them, with the
// disc's texts kept in the local disc database and exchanged with cdplayer.ini in
// `programFolder`. Every failure is told through the notice where it is met; the
// results say which it was. `settings` are the program's: a unit chosen here is
// stored in CDROMDriver.
class DiscSession {
 public:
  DiscSession(Settings& settings, UserNotice& notice, std::string programFolder)
      : settings_(settings), notice_(notice), programFolder_(std::move(programFolder)) {}

  // Makes the driver as start-up does: the system's drives, the images of
  // $SONVAREK_CD_IMAGE and `extraImages` (or `choice.image` alone), with the unit of
  // the choice selected.
  DiscResult OpenDrive(const DriveChoice& choice, const std::vector<std::string>& extraImages = {});
  // Refresh TOC: reads the disc in the open drive into the record (emptied first;
  // then cdplayer.ini when AutoLoadCDPlayerINI is set, then the disc's file of the
  // local database, then "Track %d" for the untitled) and builds the track list (all
  // rows checked when AutoSelectAll is set). Unsaved edits of the record are lost.
  DiscResult ReadDisc();
  // OpenDrive, then ReadDisc.
  DiscResult Open(const DriveChoice& choice);

  // The save at exit and before an eject: the record's texts into the disc's file,
  // rows in list order. True with nothing to do when no disc was read; false after
  // telling why it failed.
  bool SaveDisc();
  // Eject CD: the texts are saved, the drive ejects and the list is emptied. False
  // when the save failed (the drive ejects all the same).
  bool Eject();
  // A medium arrived or left: when a fresh table of contents differs from the kept
  // one, the shown disc is saved (with its own TOC) and the disc read again. Returns
  // whether the disc was read again.
  bool MediaChanged();

  // Import from / Export to cdplayer.ini, the File menu commands. False after telling
  // "Error while reading CD volume ID" or why the file could not be written.
  bool ImportCdPlayerIni();
  bool ExportCdPlayerIni();

  // The freedb, cache and volume ids of the disc read, each computed afresh.
  DiscIds ComputeIds();

  std::span<const DeviceRecord> Units() const;
  const std::string& programFolder() const { return programFolder_; }
  CSCSIDriver* driver() { return driver_.get(); }
  const DiscTOC& toc() const { return toc_; }
  DiscRecord& disc() { return disc_; }
  const DiscReading& reading() const { return reading_; }
  TrackList& tracks() { return tracks_; }

  // The disc's artist and album (an absent one keeps what the record has), as a
  // look-up would set them.
  void SetDiscTexts(const std::optional<std::string>& artist, const std::optional<std::string>& album);
  // A text of the disc, as Disc Info's OK and "Copy info to each track" store it: into
  // the disc's entry and the same field of every track.
  void SetDiscField(std::string TagSet::*field, std::string_view value);
  // The genre the same way: its name, and on the disc its index in the genre table.
  void SetDiscGenre(std::string_view name);
  // The title of track `track` in the record and its row; false for no such track.
  bool SetTrackTitle(int track, std::string_view title);
  // Checks exactly the tracks of `list` ("1,3-5"; every audio track when empty).
  // False, changing nothing, when the list is malformed or names a track that is not
  // an audio track of this disc.
  bool SelectTracks(std::string_view list);

 private:
  DiscResult OpenImage(const std::string& image);
  DiscResult NoDriveResult(const std::vector<std::string>& imagePaths);
  void LoadTexts(const DiscTOC& toc, DiscRecord& disc);
  std::optional<uint32_t> ReadVolumeId();
  bool ReadMsfToc(DiscTOC& toc);

  Settings& settings_;
  UserNotice& notice_;
  std::string programFolder_;
  std::unique_ptr<CSCSIDriver> driver_;
  DiscTOC toc_{};
  DiscRecord disc_;
  DiscReading reading_;
  TrackList tracks_;
};

}  // namespace sonvarek
