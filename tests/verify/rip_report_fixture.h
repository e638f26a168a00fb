#pragma once

#include "core/rip_report.h"

namespace sonvarek::test {

// A rip of the first two tracks of a disc with three audio tracks and a data track,
// both accurately ripped.
inline RipReport AccurateRipReport() {
  RipReport report;
  report.programVersion = "1.4.0";
  report.albumArtist = "The Lanterns";
  report.albumTitle = "Harbour Lights";
  report.genre = "Folk";
  report.year = "2019";
  report.driveVendor = "PLEXTOR ";
  report.driveProduct = "DVDR   PX-760A  ";
  report.driveTransport = "SG_IO";
  report.readOffset = 30;
  report.outputFormat = "MP3";
  report.encoderSettings = "192 kbit/s CBR";
  report.toc = {{1, 0, 15010, false}, {2, 15010, 30000, false}, {3, 30000, 41400, false}, {4, 52800, 60000, true}};
  report.leadOut = 60000;
  report.freedbId = 0x2a09a203;

  RipTrackReport first;
  first.number = 1;
  first.title = "Opening";
  first.outputPath = "/music/The Lanterns/01 - Opening.mp3";
  first.startSector = 0;
  first.endSector = 15010;
  first.peak = 32276;
  first.copyCrc = 0x0a1b2c3d;
  first.checksummed = true;
  first.accurateRipV1 = 0x11111111;
  first.accurateRipV2 = 0x2222abcd;
  first.result = TrackRipResult::Ok;
  first.verdict = "Accurately ripped (confidence 12) [2222ABCD] (AR v2)";
  first.accurate = true;

  RipTrackReport second = first;
  second.number = 2;
  second.title = "Tide";
  second.performer = "Guest Singer";
  second.outputPath = "/music/The Lanterns/02 - Tide.mp3";
  second.startSector = 15010;
  second.endSector = 30000;
  second.peak = 32768;
  second.copyCrc = 0xdeadbeef;
  second.accurateRipV1 = 0x00c0ffee;
  second.accurateRipV2 = 0x00000001;
  second.verdict = "Accurately ripped (confidence 3) [00C0FFEE] (AR v1)";

  report.tracks = {first, second};
  return report;
}

}  // namespace sonvarek::test
