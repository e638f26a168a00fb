#pragma once

// Every text the program shows to a user, in one place. Texts are used exactly as
// they stand, odd spellings and doubled blanks included: users and their scripts
// may match them. Formats take their values in the order of their conversions.

namespace sonvarek::text {

inline constexpr char kProductName[] = "Sonvarek Maker";
inline constexpr char kHomePage[] = "https://sonvarek.invalid/maker";

// Settings store
inline constexpr char kCantOpenOutputDirectory[] = "Can't open  output directory!";
inline constexpr char kCantOpenTempDirectory[] = "Can't open temp directory!";

// Output naming
inline constexpr char kNamingRuleNeedsToken[] =
    "Naming rule string must contain one of the following variables:\n<title> <number> <artist> <album> <year>";

// Disc and track records
inline constexpr char kAllTracks[] = "All Tracks";
inline constexpr char kTrackTitleFormat[] = "Track %d";
inline constexpr char kTrackLengthFormat[] = "%02d:%02d";
inline constexpr char kTrackSizeFormat[] = "%0.2f";
inline constexpr char kUnknownArtist[] = "Artist";
inline constexpr char kUnknownAlbum[] = "Album";
inline constexpr char kUnknownYear[] = "Year";

// WAV files
inline constexpr char kTemporaryWaveFile[] = "Temporary Wave File";

// CD-ROM access
inline constexpr char kErrorInitializeCdromNative[] = "Error while initialize CD-ROM under NT/2000/XP (Native).";
inline constexpr char kErrorInitializeCdromAspi[] =
    "Error while initialize CD-ROM. Please make sure the ASPI manager has been correctly setup.";
inline constexpr char kDeviceStatusFormat[] = "Device: %s";
inline constexpr char kNoCdromFound[] = "No CDROM found!";
inline constexpr char kPleaseInsertAnAudioCd[] = "Please Insert An Audio CD!";
// The drive types of setting DeviceType, in index order (the CD-ROM page's Type list).
inline constexpr const char* kDriveTypeNames[] = {"GENERIC", "TOSHIBA", "IBM",     "NEC",     "DEC",  "KODAK",
                                                  "RICOH",   "HP",      "PHILIPS", "PLEXTOR", "SONY", "YAMAHA"};

}  // namespace sonvarek::text
