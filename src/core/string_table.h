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
inline constexpr char kOutputFolderUsedInstead[] = "The output folder %s is used instead.";
inline constexpr char kTempFolderUsedInstead[] = "The temporary folder %s is used instead.";
inline constexpr char kSettingsFileTooLarge[] = "%s is too large: only its first 1 MiB was read.";

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

// Batch window
inline constexpr char kBatchTitleExtracting[] = "Extracting(%02d/%02d): %s";
inline constexpr char kBatchTitleEncoding[] = "Encoding(%02d/%02d): %s";
inline constexpr char kBatchTitleNormalizing[] = "Normalizing(%02d/%02d): %s";
inline constexpr char kBatchTitleDecoding[] = "Decoding(%02d/%02d): %s";
inline constexpr char kBatchTitleFinished[] = "Finished";
inline constexpr char kBatchButtonAbort[] = "&Abort";
inline constexpr char kBatchButtonClose[] = "Close";
inline constexpr char kGroupEncodingMp3[] = "Encoding WAV to MP3";
inline constexpr char kGroupEncodingOgg[] = "Encoding WAV to Ogg";
inline constexpr char kGroupExtracting[] = "Extracting CDDA";
inline constexpr char kGroupNormalizing[] = "Normalizing WAV";
inline constexpr char kGroupSeekingPeak[] = "Seeking Volume Peak";
inline constexpr char kGroupDecoding[] = "Decoding MP3 to WAV";
inline constexpr char kGroupNormalizeFiles[] = "Normalize WAV Files";
inline constexpr char kTimeElapsed[] = "Time elapsed:";
inline constexpr char kTimeEstimated[] = "Time estimated:";
inline constexpr char kProgressTimeFormat[] = "%02d:%02d";
inline constexpr char kProgressPercentFormat[] = "%d.%d%%";
inline constexpr char kErrorPaneText[] = "An error occurred during processing.";
inline constexpr char kViewLogButton[] = "&View Log...";
inline constexpr char kSuccessPaneText[] = "Success!  You can create play list file or play now.";
inline constexpr char kPlayNowButton[] = "&Play Now!";
inline constexpr char kCreatePlaylistButton[] = "&Create Playlist";
inline constexpr char kSelectOneItem[] = "Please select one item at least.\nClick the left little box to select it.";
inline constexpr char kBatchStillRunning[] =
    "The previous conversion is still running in the background. Please wait until it has finished.";

// Success pane actions
inline constexpr char kNoDefaultPlayer[] = "Cann't find the default MP3 player!";
inline constexpr char kNoItemsToPlay[] = "No items to be played!";
inline constexpr char kPlayerLaunchFailed[] = "Failed to launch default MP3 player: %s";
inline constexpr char kPlaylistFilter[] = "Play List File(*.m3u)|*.m3u||";
inline constexpr char kPlaylistDefaultExtension[] = "*.m3u";
inline constexpr char kPlaylistCreated[] = "Play list file was successfully created!";
inline constexpr char kPlaylistFailed[] = "An Error occurred when creating play list file.";

// Master volume
inline constexpr char kCantFindVolumeProgram[] = "Can't find the system volume control program!";

// Command line
inline constexpr char kCliPrefix[] = "sonvarek: ";
inline constexpr char kCliUsageHead[] = "Usage: sonvarek [--home DIR] COMMAND [OPTIONS]\n\nCommands:\n";
inline constexpr char kCliVersion[] = "sonvarek (%s) %s";
inline constexpr char kCliCommandUsageHead[] = "Usage: sonvarek [--home DIR] ";
inline constexpr char kCliCommandOptionsHead[] = "\nOptions:\n";
inline constexpr char kCliHelpHint[] = "'sonvarek COMMAND --help' tells a command's options.\n";

// The command-line reference: each command's options, the exit statuses and the
// environment, shown by "sonvarek COMMAND --help" and written into the manual pages.
struct CliOptionText {
  const char* flag;
  const char* text;
};
inline constexpr CliOptionText kCliGlobalOptions[] = {
    {"--home DIR", "use DIR as the program folder (Settings.ini, db/, cdplayer.ini)"},
    {"--help", "show this help; after a command, that command's options"},
    {"--version", "show the version"},
};
inline constexpr CliOptionText kCliDriveOptions[] = {
    {"--device N", "read the disc in CD unit N, counted from 0 as 'devices' lists them (default: the CDROMDriver setting)"},
    {"--image FILE", "read a disc image instead: a CUE sheet with its BIN file of raw 2352-byte sectors"},
};
inline constexpr CliOptionText kCliInfoOptions[] = {
    {"--artist TEXT", "the disc's artist, copied into every track"},
    {"--album TEXT", "the disc's album, copied into every track"},
    {"--year Y", "the disc's year (digits), copied into every track"},
    {"--genre NAME", "the disc's genre, copied into every track"},
    {"--comment TEXT", "the disc's comment, copied into every track"},
    {"--title N=TEXT", "the title of track N (repeatable)"},
};
inline constexpr CliOptionText kCliQueryOptions[] = {
    {"--server HOST[:PORT]", "ask this cddb server for this run (default: the Server setting, port 80)"},
    {"--choose K", "read the Kth of several matches, counted from 1 (default: the first)"},
};
inline constexpr CliOptionText kCliSubmitOptions[] = {
    {"--genre CATEGORY", "the freedb category to file the disc under (default: the disc's genre)"},
    {"--server HOST[:PORT]", "send to this cddb server for this run (default: the Server setting)"},
};
inline constexpr CliOptionText kCliPlayOptions[] = {
    {"--tracks LIST", "the tracks to play, for example 1,3-5 (default: the checked tracks)"},
    {"--playback digital|drive", "play through the sound system or the drive's own audio output"},
};
inline constexpr CliOptionText kCliRipOptions[] = {
    {"--tracks LIST", "the tracks to rip, for example 1,3-5 (default: every audio track)"},
    {"--format mp3|wav|ogg", "the output format (default: the OutputFormat setting)"},
    {"--output DIR", "the output folder, made absolute (default: the OutputFolder setting)"},
    {"--rule RULE", "the naming rule, for example '<artist>\\<album>\\<number>-<title>'"},
    {"--playlist FILE", "append the files made to the M3U play list FILE"},
    {"--artist TEXT", "the artist for this run's files (not saved)"},
    {"--album TEXT", "the album for this run's files (not saved)"},
    {"--title N=TEXT", "the title of track N for this run's files (repeatable, not saved)"},
    {"--secure", "test and copy for this run: every track read twice and the readings compared (not saved)"},
};
inline constexpr CliOptionText kCliEncodeMp3Options[] = {
    {"--bitrate KBPS", "the bit rate for this run: 32 40 48 56 64 80 96 112 128 160 192 224 256 320"},
    {"--vbr Q", "variable bit rate at quality Q, 0 (best) to 8, for this run"},
    {"--output DIR", "the output folder, made absolute (default: the OutputFolder setting)"},
};
inline constexpr CliOptionText kCliEncodeOggOptions[] = {
    {"--quality Q", "the quality for this run, 1 (smallest) to 100 (best)"},
    {"--output DIR", "the output folder, made absolute (default: the OutputFolder setting)"},
};
inline constexpr CliOptionText kCliDecodeOptions[] = {
    {"--output DIR", "the output folder, made absolute (default: the OutputFolder setting)"},
};
inline constexpr CliOptionText kCliNormalizeOptions[] = {
    {"--ratio N", "the peak level to reach, 1 to 100 % of full scale (default: the NormalizeRatio setting)"},
};
inline constexpr CliOptionText kCliVolumeOptions[] = {
    {"VALUE", "the new master volume, within the range that 'volume' prints"},
};
inline constexpr CliOptionText kCliCdPlayerIniOptions[] = {
    {"import", "take the disc's artist, album, year and titles from cdplayer.ini"},
    {"export", "write them into the disc's section of cdplayer.ini"},
};
struct CliExitText {
  int status;
  const char* text;
};
inline constexpr CliExitText kCliExitStatuses[] = {
    {0, "success"},
    {1, "the command failed (a file, the drive, the server or a job said why), or verify found a track not "
        "accurately ripped"},
    {2, "there is no CD drive or disc image to read"},
    {64, "the command line was wrong: an unknown command or option, or a bad value"},
    {130, "interrupted by Ctrl+C or SIGTERM; nothing half-written is left under a final name"},
};
// The manual pages' own paragraphs; the options, commands and statuses come from
// the tables above.
inline constexpr char kManCliName[] = "rip audio CDs and convert audio files from the command line";
inline constexpr char kManGuiName[] = "rip audio CDs and convert audio files on the desktop";
inline constexpr char kManCliDescription[] =
    "sonvarek reads audio CDs (or disc images) and rips their tracks to MP3, Ogg Vorbis or WAV files named "
    "by a naming rule and tagged with the disc's texts; it looks discs up on cddb servers, keeps their texts "
    "in a local disc database, converts WAV files to MP3 or Ogg Vorbis and MP3 files to WAV, normalizes WAV "
    "files, plays CDs and sets the master volume. It shares its settings and disc texts with the desktop "
    "program, sonvarek-maker.";
inline constexpr char kManCliFilesIntro[] =
    "The program folder is --home DIR, else $SONVAREK_HOME, else the folder of the program when a "
    "Settings.ini lies there, else $XDG_CONFIG_HOME/sonvarek-maker (~/.config/sonvarek-maker). It holds:";
inline constexpr CliOptionText kManFiles[] = {
    {"Settings.ini", "the settings, shared by both programs"},
    {"db/", "the local disc database: one file of texts per disc"},
    {"cdplayer.ini", "disc titles exchanged with other CD players"},
    {"cddb.txt", "a copy of the last submission to a cddb server"},
    {"CustomColor.ini", "the colour chooser's custom colours"},
};
inline constexpr char kManGuiSeeAlso[] = "sonvarek(1); the HTML manual, opened by Help > Contents (F1)";
inline constexpr char kManCliSeeAlso[] = "sonvarek-maker(1)";
inline constexpr CliOptionText kEnvironment[] = {
    {"SONVAREK_HOME", "the program folder, where --home is not given"},
    {"SONVAREK_CD_IMAGE", "':'-separated CUE sheets that appear as drives, after the real ones"},
    {"SONVAREK_CD_BAD_SECTORS", "sectors of the disc images that read as errors, for example 1000-1010,5000"},
    {"SONVAREK_CD_FLAKY_SECTORS", "sectors of the disc images that read as new noise every time, for example 1200,7000*2"},
    {"SONVAREK_ACCURATERIP_SERVER", "the AccurateRip server in place of the setting; empty: no look-ups"},
};
inline constexpr char kCliSynopsisSettings[] = "settings";
inline constexpr char kCliSummarySettings[] = "print the effective settings in Settings.ini form";
inline constexpr char kCliSynopsisDevices[] = "devices";
inline constexpr char kCliSummaryDevices[] = "list the CD drives and disc images, one unit a line";
inline constexpr char kCliSynopsisToc[] = "toc [--device N | --image FILE]";
inline constexpr char kCliSummaryToc[] = "print the table of contents of a disc";
inline constexpr char kCliSynopsisRip[] = "rip [--device N | --image FILE] [OPTIONS]";
inline constexpr char kCliSummaryRip[] = "rip tracks of a disc to MP3, WAV or Ogg files";
inline constexpr char kCliSynopsisEncodeMp3[] = "encode-mp3 [--bitrate KBPS] [--vbr Q] [--output DIR] FILE...";
inline constexpr char kCliSummaryEncodeMp3[] = "encode WAV files to MP3 with the MP3 settings";
inline constexpr char kCliSynopsisEncodeOgg[] = "encode-ogg [--quality Q] [--output DIR] FILE...";
inline constexpr char kCliSummaryEncodeOgg[] = "encode WAV files to Ogg Vorbis with the Ogg Vorbis settings";
inline constexpr char kCliSynopsisDecode[] = "decode [--output DIR] FILE...";
inline constexpr char kCliSummaryDecode[] = "decode MP3 files to WAV";
inline constexpr char kCliSynopsisNormalize[] = "normalize [--ratio N] FILE...";
inline constexpr char kCliSummaryNormalize[] = "normalize WAV files in place to N % of full scale";
inline constexpr char kCliUnknownCommand[] = "unknown command '%s'";
inline constexpr char kCliHomeNeedsFolder[] = "--home needs a folder";
inline constexpr char kCliOptionNeedsValue[] = "%s needs a value";
inline constexpr char kCliDriveOnce[] = "give --device or --image once";
inline constexpr char kCliDeviceNumber[] = "--device needs a unit number, not '%s'";
inline constexpr char kCliNoSuchUnit[] = "there is no unit %d (%d found)";
inline constexpr char kCliDevicesArguments[] = "devices takes only --image FILE";
inline constexpr char kCliTocUsage[] = "usage: toc [--device N | --image FILE]";
inline constexpr char kCliTocFreedbId[] = "freedb disc id: %08x";
inline constexpr char kCliTocCacheId[] = "cache id: %x";
inline constexpr char kCliTocVolumeId[] = "volume id: %x";
inline constexpr char kCliSynopsisInfo[] = "info [--device N | --image FILE] [EDITS]";
inline constexpr char kCliSummaryInfo[] = "show and edit the disc's texts kept in the local disc database";
inline constexpr char kCliInfoUsage[] =
    "usage: info [--device N | --image FILE] [--artist TEXT] [--album TEXT] [--year Y] [--genre NAME]\n"
    "            [--comment TEXT] [--title N=TEXT]...";
inline constexpr char kCliInfoUnexpected[] = "info: unexpected '%s'";
inline constexpr char kCliYearDigits[] = "--year takes digits only, not '%s'";
inline constexpr char kCliNoSuchTrack[] = "this disc has no track %d";
inline constexpr char kCliInfoArtist[] = "Artist: %s";
inline constexpr char kCliInfoAlbum[] = "Album: %s";
inline constexpr char kCliInfoYear[] = "Year: %s";
inline constexpr char kCliInfoGenre[] = "Genre: %s";
inline constexpr char kCliInfoComment[] = "Comment: %s";
inline constexpr char kCliInfoTrack[] = "%02d  %s";
inline constexpr char kCliSynopsisQuery[] = "query [--device N | --image FILE] [--server HOST[:PORT]] [--choose K]";
inline constexpr char kCliSummaryQuery[] = "look the disc up on the cddb server and keep what it names";
inline constexpr char kCliQueryUsage[] =
    "usage: query [--device N | --image FILE] [--server HOST[:PORT]] [--choose K]";
inline constexpr char kCliSynopsisSubmit[] = "submit [--device N | --image FILE] [--genre CATEGORY] [--server HOST[:PORT]]";
inline constexpr char kCliSummarySubmit[] = "submit the disc's texts to the cddb server";
inline constexpr char kCliSubmitUsage[] =
    "usage: submit [--device N | --image FILE] [--genre CATEGORY] [--server HOST[:PORT]]";
inline constexpr char kCliServerValue[] = "--server takes HOST or HOST:PORT, not '%s'";
inline constexpr char kCliChooseValue[] = "--choose takes a candidate number from 1, not '%s'";
inline constexpr char kCliNoSuchCandidate[] = "there is no candidate %d (%d found)";
inline constexpr char kCliCandidate[] = "%d  %s  %s / %s";  // number, category, artist, album
inline constexpr char kCliGenreValue[] = "--genre takes one of blues classical country data folk jazz misc newage reggae rock soundtrack, not '%s'";
inline constexpr char kCliSubmitted[] = "Successfully Submitted. Thanks. Your CD information will be available soon.";
inline constexpr char kCliSynopsisPlay[] = "play [--device N | --image FILE] [--tracks LIST] [--playback digital|drive]";
inline constexpr char kCliSummaryPlay[] = "play the checked tracks (Space pause, n next, p previous, q stop)";
inline constexpr char kCliPlayUsage[] =
    "usage: play [--device N | --image FILE] [--tracks LIST] [--playback digital|drive]";
inline constexpr char kCliNothingPlays[] = "nothing plays: the drive or the sound output did not start";
inline constexpr char kCliSynopsisEject[] = "eject [--device N | --image FILE]";
inline constexpr char kCliSummaryEject[] = "save the disc's texts and eject it";
inline constexpr char kCliEjectUsage[] = "usage: eject [--device N | --image FILE]";
inline constexpr char kCliSynopsisCdPlayerIni[] = "cdplayer-ini import|export [--device N | --image FILE]";
inline constexpr char kCliSummaryCdPlayerIni[] = "exchange the disc's titles with cdplayer.ini";
inline constexpr char kCliCdPlayerIniUsage[] = "usage: cdplayer-ini import|export [--device N | --image FILE]";
inline constexpr char kCliCdPlayerIniExported[] = "exported to section [%s] of %s";
inline constexpr char kCliSettingsArguments[] = "settings takes no arguments";
inline constexpr char kCliSynopsisVolume[] = "volume [VALUE]";
inline constexpr char kCliSummaryVolume[] = "print the master volume, or set it to VALUE";
inline constexpr char kCliVolumeUsage[] = "usage: volume [VALUE]";
inline constexpr char kCliVolumeNotNumber[] = "volume takes a whole number, not '%s'";
inline constexpr char kCliVolume[] = "volume %ld (%ld .. %ld)";  // volume, minimum, maximum
inline constexpr char kCliVolumeOutOfRange[] = "volume %ld lies outside the master volume's range %ld .. %ld";
inline constexpr char kCliNoMasterVolume[] =
    "there is no master volume control (ALSA's default mixer, element Master or PCM, could not be opened)";
inline constexpr char kCliBitrateValues[] = "--bitrate takes one of 32 40 48 56 64 80 96 112 128 160 192 224 256 320";
inline constexpr char kCliVbrValues[] = "--vbr takes a quality from 0 (best) to 8";
inline constexpr char kCliEncodeUnknownOption[] = "encode-mp3: unknown option or missing value '%s'";
inline constexpr char kCliEncodeNeedsFiles[] = "encode-mp3 needs at least one WAV file";
inline constexpr char kCliQualityValues[] = "--quality takes a quality from 1 (smallest) to 100 (best)";
inline constexpr char kCliEncodeOggUnknownOption[] = "encode-ogg: unknown option or missing value '%s'";
inline constexpr char kCliEncodeOggNeedsFiles[] = "encode-ogg needs at least one WAV file";
inline constexpr char kCliDecodeUnknownOption[] = "decode: unknown option or missing value '%s'";
inline constexpr char kCliDecodeNeedsFiles[] = "decode needs at least one MP3 file";
inline constexpr char kCliRatioValues[] = "--ratio takes a percentage from 1 to 100";
inline constexpr char kCliNormalizeUnknownOption[] = "normalize: unknown option '%s'";
inline constexpr char kCliNormalizeNeedsFiles[] = "normalize needs at least one WAV file";
inline constexpr char kCliRipUsage[] =
    "usage: rip [--device N | --image FILE] [--tracks LIST] [--format mp3|wav|ogg] [--output DIR] [--rule RULE]\n"
    "           [--playlist FILE] [--artist TEXT] [--album TEXT] [--title N=TEXT]... [--secure]";
inline constexpr char kCliRipUnexpected[] = "rip: unexpected '%s %s'";
inline constexpr char kCliTracksNoAudio[] = "--tracks '%s' names no audio tracks of this disc";

// WAV files
inline constexpr char kTemporaryWaveFile[] = "Temporary Wave File";

// MP3 encoding
inline constexpr char kNoEncodeDll[] = "No Encode library (liblame_enc.so) was found!";
inline constexpr char kCantLoadEncoder[] = "Cann't load Encoder! Use the old one.";
inline constexpr char kCantLoadOldEncoder[] = "Cann't load the old Encoder! Pls restart Sonvarek Maker";
inline constexpr char kDefaultCommentFormat[] = "%s (%s)";  // product name, home page
inline constexpr char kUnexpectedEndOfFile[] = "unexpected end of file";
inline constexpr char kTagUpdateFailed[] = "the ID3v2 tag could not be written whole";

// CD-ROM access
inline constexpr char kErrorInitializeCdromNative[] = "Error while initialize CD-ROM under Linux (SG_IO on /dev/sr*).";
inline constexpr char kErrorInitializeCdromAspi[] =
    "Error while initialize CD-ROM. Please make sure the SCSI generic driver (sg, /dev/sg*) has been correctly setup.";
inline constexpr char kDeviceStatusFormat[] = "Device: %s";
inline constexpr char kNoCdromFound[] = "No CDROM found!";
inline constexpr char kCueTimePastLongestDisc[] = "'%s' runs the disc past 99:59:74, the longest a CD can be";
inline constexpr char kImagePastLongestDisc[] = "the disc image runs past 99:59:74, the longest a CD can be";
inline constexpr char kPlayingFormat[] = "Playing : %s";
inline constexpr char kPausedFormat[] = "Paused : %s";
inline constexpr char kHighlightTrackToPlay[] = "Please highlight a track to play it.";
inline constexpr char kNoSoundOutput[] = "No sound output: %s";
inline constexpr char kPlaybackReadError[] = "Sector %u could not be read; it plays as silence";
inline constexpr char kPleaseInsertAnAudioCd[] = "Please Insert An Audio CD!";
// The drive types of setting DeviceType, in index order (the CD-ROM page's Type list).
inline constexpr const char* kDriveTypeNames[] = {"GENERIC", "TOSHIBA", "IBM",     "NEC",     "DEC",  "KODAK",
                                                  "RICOH",   "HP",      "PHILIPS", "PLEXTOR", "SONY", "YAMAHA"};

// Disc images
inline constexpr char kCueLineError[] = "%s:%d: %s";  // CUE sheet path, line, what is wrong
inline constexpr char kCueSheetError[] = "%s: %s";    // CUE sheet path, what is wrong
inline constexpr char kCueNotText[] = "not a text file";
inline constexpr char kCueUnterminatedQuote[] = "unterminated quoted text";
inline constexpr char kCueUnknownCommand[] = "unknown command '%s'";
inline constexpr char kCueFileNeedsNameAndType[] = "FILE needs a file name and a type";
inline constexpr char kCueBigEndianFile[] = "big-endian (MOTOROLA) files are not supported";
inline constexpr char kCueFileTypeUnsupported[] = "file type '%s' is not supported (only BINARY)";
inline constexpr char kCueAudioFileTypeUnsupported[] = "file type '%s' is not supported (BINARY, WAVE, MP3)";
inline constexpr char kCueEmptyFileName[] = "FILE has an empty file name";
inline constexpr char kCueTrackBeforeFile[] = "TRACK before any FILE";
inline constexpr char kCueTrackNeedsNumberAndMode[] = "TRACK needs a number and a mode";
inline constexpr char kCueTrackNumberRange[] = "track number '%s' is not 1 to 99";
inline constexpr char kCueTrackOutOfOrder[] = "track %s does not follow track %d";
inline constexpr char kCueTrackModeUnsupported[] = "track mode '%s' is not supported (AUDIO, MODE1/2352, MODE2/2352)";
inline constexpr char kCueBeforeAnyTrack[] = "%s before any TRACK";  // INDEX, PREGAP, POSTGAP or FLAGS
inline constexpr char kCueIndexNeedsNumberAndTime[] = "INDEX needs a number and a time";
inline constexpr char kCueIndexNumberRange[] = "index number '%s' is not 0 to 99";
inline constexpr char kCueNotATime[] = "'%s' is not a time mm:ss:ff";
inline constexpr char kCueIndexOutOfOrder[] = "INDEX %s is out of order";
inline constexpr char kCueIndexGoesBack[] = "INDEX %s lies before the previous index";
inline constexpr char kCueGapNeedsTime[] = "%s needs a time";  // PREGAP or POSTGAP
inline constexpr char kCuePregapAfterIndex[] = "PREGAP after an INDEX of its track";
inline constexpr char kCuePostgapBeforeIndex[] = "POSTGAP before an INDEX of its track";
inline constexpr char kCueUnknownFlag[] = "unknown flag '%s'";
inline constexpr char kCueTrackWithoutIndex01[] = "track %d has no INDEX 01";
inline constexpr char kCueNoTrack[] = "no TRACK in the sheet";
inline constexpr char kCueCantOpen[] = "cannot open the CUE sheet: %s";
inline constexpr char kCueTooLarge[] = "too large for a CUE sheet";
inline constexpr char kCueCantRead[] = "cannot read the CUE sheet: %s";
inline constexpr char kBinCantOpen[] = "cannot open '%s': %s";
inline constexpr char kBinUnreadable[] = "'%s' is unreadable";
inline constexpr char kBinNotWholeSectors[] = "'%s' is %s bytes, not a whole number of 2352-byte sectors";
inline constexpr char kBinTooLarge[] = "'%s' is too large for a CD";
inline constexpr char kIndexBeyondFile[] = "the index lies beyond the end of '%s'";
inline constexpr char kBadSectorRangeUnreadable[] = "cannot read the bad sector range '%s'";
inline constexpr char kBadSectorsVariable[] = "SONVAREK_CD_BAD_SECTORS: %s";
inline constexpr char kUdevUnreachable[] = "cannot reach udev";
inline constexpr char kUdevCantWatch[] = "cannot watch udev for media changes";

// Disc identification, local disc database, cdplayer.ini
inline constexpr char kCannotOpenDbDirectory[] = "Cannot open directory %sdb.";
inline constexpr char kDiscCacheNotSaved[] = "The disc information could not be saved to %s: %s";
inline constexpr char kDiscCacheUnreadable[] = "%s could not be read whole, so the disc information was not saved over it";
inline constexpr char kErrorReadingVolumeId[] = "Error while reading CD volume ID";
inline constexpr char kCdPlayerIniNotSaved[] = "%s could not be written: %s";
inline constexpr char kCdPlayerIniUnreadable[] = "%s could not be read whole, so nothing was exported to it";

// cddb transport, query and read, submission
inline constexpr char kCddbClientName[] = "Sonvarek 3.0";
inline constexpr char kCddbSubmittedVia[] = "Sonvarek_Maker 3.0";
inline constexpr char kCddbInitializing[] = "Initializing sockets...";
inline constexpr char kCddbConnectToServer[] = "Connect to server: %s ...";
inline constexpr char kCddbSocketError[] = "Socket error (code  = %d).";
inline constexpr char kCddbSendingQuery[] = "Sending query command...";
inline constexpr char kCddbReceivingQuery[] = "Receiving query result...";
inline constexpr char kCddbProcessingQuery[] = "Processing query result...";
inline constexpr char kCddbRetrieveInfo[] = "Retrieve CD information...";
inline constexpr char kCddbSendingSubmit[] = "Sending submit command...";
inline constexpr char kCddbSubmitError[] = "Error while submit to %s.\nError code = %s.";
inline constexpr char kCddbWaitingForResponse[] = "Waiting for response...";
inline constexpr char kCddbProcessSubmit[] = "Process submit result...";
inline constexpr char kCddbCancelled[] = "Cancelled.";
inline constexpr char kCddbAnswerTooLarge[] = "The answer of %s is larger than 1 MiB; it was not read.";
inline constexpr char kCddbReadingToc[] = "Reading CD TOC...";
inline constexpr char kCddbCancelQuerying[] = "Cancel CDDB Querying...";
inline constexpr char kCddbCancelSubmitting[] = "Cancel CDDB Submitting...";
inline constexpr char kCddbNoMatch[] = "Sorry! No matched disc was found!";
inline constexpr char kCddbFailedPrefix[] = "Failed: ";
inline constexpr char kCddbQueryingCaption[] = "Querying Freedb";
inline constexpr char kCddbSubmittingCaption[] = "Submitting to freedb";
inline constexpr char kSubmitEmailMissing[] =
    "Please input your email address in the Freedb options page from menu \"Edit->Options...\".\n\n"
    "Rejected submissions are automatically returned via e-mail to this address with an explanation of the reason "
    "for the rejection. If successfully submitted, no notification will be sent.";
inline constexpr char kSubmitNeedsArtist[] = "Please input the CD's artist name.";
inline constexpr char kSubmitNeedsAlbum[] = "Please input the CD's album title.";
inline constexpr char kSubmitNeedsGenre[] = "Please select the CD's genre.";
inline constexpr char kSubmitMissingTitle[] = "Missing title for track #%02d.";
inline constexpr char kSubmitRetrievingGenres[] = "Retrieving Genre List Form CDDB...";
inline constexpr char kSubmitSucceeded[] = "Successfully Submitted. Thanks.";
inline constexpr char kSubmitAvailableSoon[] = "Your CD information will be available soon.";
inline constexpr char kSubmitFailed[] = "Submit Failed!";
inline constexpr char kSubmitUnknownError[] = "Unknown Error!";
inline constexpr char kSubmitNote[] = "Sent by Sonvarek Maker %s";  // the home page

// Track list
inline constexpr char kHighlightTrackItem[] = "Please highlight a track item to edit its information.";
inline constexpr char kTocCopiedToClipboard[] = "Successfully copy TOC to Clipboard";

// Desktop program: main window (menus, tool bar, player display)
// (main window texts)
inline constexpr char kMainWindowCaption[] = "Sonvarek Maker";
inline constexpr char kMenuFile[] = "&File";
inline constexpr char kMenuEdit[] = "&Edit";
inline constexpr char kMenuAction[] = "&Action";
inline constexpr char kMenuHelp[] = "&Help";
inline constexpr char kCommandEncodeMp3[] = "Encode  WAV to MP3...";
inline constexpr char kCommandEncodeOgg[] = "Encode  WAV to Ogg...";
inline constexpr char kCommandDecode[] = "Decode  MP3 to WAV...";
inline constexpr char kCommandNormalize[] = "Normalize WAV Files...";
inline constexpr char kCommandImportCdPlayerIni[] = "Import form cdplayer.ini";
inline constexpr char kCommandExportCdPlayerIni[] = "Export to cdplayer.ini";
inline constexpr char kCommandDefaultPlayer[] = "Default MP3 Player";
inline constexpr char kCommandViewLog[] = "View Log...";
inline constexpr char kCommandEject[] = "Eject CD";
inline constexpr char kCommandExit[] = "Exit";
inline constexpr char kCommandTrackInfo[] = "Track Info...";
inline constexpr char kCommandDiscInfo[] = "Disc Info...";
inline constexpr char kCommandSelectAll[] = "Select All";
inline constexpr char kCommandSelectNone[] = "Select None";
inline constexpr char kCommandInvertSelection[] = "Invert Selection";
inline constexpr char kCommandUpperCase[] = "Upper Case";
inline constexpr char kCommandLowerCase[] = "Lower Case";
inline constexpr char kCommandCapitalize[] = "Capitalize";
inline constexpr char kCommandCopyToClipboard[] = "Copy to Clipboard";
inline constexpr char kCommandOptions[] = "Options...";
inline constexpr char kCommandExtract[] = "Extract...";
inline constexpr char kCommandOpenOutputFolder[] = "Open Output Folder";
inline constexpr char kCommandRefreshToc[] = "Refresh TOC";
inline constexpr char kCommandQuery[] = "Query Freedb...";
inline constexpr char kCommandSubmit[] = "Submit to Freedb...";
inline constexpr char kCommandPlaySelected[] = "Play Selected Tracks";
inline constexpr char kCommandPlayHighlighted[] = "Play Highlighted Track";
inline constexpr char kCommandStop[] = "Stop";
inline constexpr char kCommandPreviousTrack[] = "Previous Track";
inline constexpr char kCommandNextTrack[] = "Next Track";
inline constexpr char kCommandVolumeControl[] = "Volume Control";
inline constexpr char kCommandContents[] = "Contents";
inline constexpr char kCommandHomePage[] = "Sonvarek Maker Home Page";
inline constexpr char kCommandAbout[] = "About Sonvarek Maker...";
inline constexpr char kCommandMoveFirst[] = "Move First";
inline constexpr char kCommandMoveUp[] = "Move Up";
inline constexpr char kCommandMoveDown[] = "Move Down";
inline constexpr char kCommandMoveLast[] = "Move Last";
inline constexpr char kCommandPause[] = "Pause";
inline constexpr char kStatusEncodeMp3[] = "Encode wave file(s) into MP3";
inline constexpr char kStatusImportCdPlayerIni[] = "Import disc info from cdplayer.ini";
inline constexpr char kStatusExportCdPlayerIni[] = "Export disc info to cdplayer.ini";
inline constexpr char kStatusDefaultPlayer[] = "Open the default MP3 player";
inline constexpr char kStatusViewLog[] = "View log";
inline constexpr char kStatusEject[] = "Eject CD from CD-ROM";
inline constexpr char kStatusExit[] = "Exit Sonvarek Maker";
inline constexpr char kStatusTrackInfo[] = "Track information of highlighted track";
inline constexpr char kStatusDiscInfo[] = "Disc information";
inline constexpr char kStatusSelectAll[] = "Select all tracks";
inline constexpr char kStatusSelectNone[] = "Select none track";
inline constexpr char kStatusInvertSelection[] = "Invert track selection";
inline constexpr char kStatusCopyToClipboard[] = "Copy CD TOC to clipboard";
inline constexpr char kStatusOptions[] = "Change options";
inline constexpr char kStatusExtract[] = "Extract audio data from CD and encode to MP3";
inline constexpr char kStatusOpenOutputFolder[] = "Open destination output folder";
inline constexpr char kStatusRefreshToc[] = "Rescan CD-ROM";
inline constexpr char kStatusQuery[] = "Query disc information from Freedb";
inline constexpr char kStatusSubmit[] = "Submit your disc information to Freedb";
inline constexpr char kStatusPlaySelected[] = "Play selected CD tracks";
inline constexpr char kStatusPlayHighlighted[] = "Play the highlighted track";
inline constexpr char kStatusStop[] = "Stop playing CD audio";
inline constexpr char kStatusPreviousTrack[] = "Play previous selected track";
inline constexpr char kStatusNextTrack[] = "Play next selected track";
inline constexpr char kStatusVolumeControl[] = "Open volume control application";
inline constexpr char kStatusContents[] = "Display the help contents";
inline constexpr char kStatusHomePage[] = "Visit the Sonvarek Maker homepage";
inline constexpr char kStatusAbout[] = "Display version number and copyright notice";
inline constexpr char kContextExtract[] = "Extract ...";
inline constexpr char kContextPlay[] = "Play CDAudio";
inline constexpr char kContextEditTrackInfo[] = "&Edit Track Info";
inline constexpr char kTipOptions[] = "Options";
inline constexpr char kTipQuery[] = "Query Freedb";
inline constexpr char kTipPlayer[] = "MP3 Player";
inline constexpr char kTipOpenOutputFolder[] = "Open output folder";
inline constexpr char kTipExit[] = "Exit";
inline constexpr char kTipTrackInfo[] = "Track Info";
inline constexpr char kTipExtract[] = "Extract";
inline constexpr char kTipHomePage[] = "Sonvarek Maker Home Page";
inline constexpr char kTipPreviousTrack[] = "Previous track";
inline constexpr char kTipPlay[] = "Play";
inline constexpr char kTipPause[] = "Pause";
inline constexpr char kTipStop[] = "Stop playing";
inline constexpr char kTipEject[] = "Eject";
inline constexpr char kTipNextTrack[] = "Next track";
inline constexpr char kTipMinimize[] = "Minimize";
inline constexpr char kTipSeek[] = "Seek in the current track";
inline constexpr char kTipVolume[] = "Change volume";
inline constexpr char kColumnNumber[] = "No.";
inline constexpr char kColumnTitle[] = "Title";
inline constexpr char kColumnLength[] = "Length";
inline constexpr char kColumnSize[] = "Size";
inline constexpr char kTrackNumberFormat[] = "%02d";
inline constexpr char kDriveLabel[] = "&Drive:";
inline constexpr char kNoCdAvailable[] = "No CD available!";
inline constexpr char kNoDefaultMp3Player[] = "Can't find default MP3 player!\nPlease specify MP3 player from menu \"Edit->Options\".";
inline constexpr char kDefaultMp3PlayerFailed[] =
    "Failed to launch default MP3 player:\n %s\nPlease specify MP3 player from menu \"Edit->Options\".";
inline constexpr char kCantOpenOutputFolder[] = "The output folder %s could not be opened: %s";
inline constexpr char kCantOpenHelp[] = "The manual %s could not be opened.";
inline constexpr char kCantOpenHomePage[] = "The home page %s could not be opened.";
inline constexpr char kFileDialogEncodeMp3[] = "Encode WAV to MP3";
inline constexpr char kFileDialogEncodeOgg[] = "Encode WAV to OGG";
inline constexpr char kFileDialogDecode[] = "Decode MP3 to WAV";
inline constexpr char kFileDialogNormalize[] = "Normalize WAV Files";
inline constexpr char kFileFilterWave[] = "Wave files(*.wav)";
inline constexpr char kFileFilterMp3[] = "MP3 files(*.mp3)";
inline constexpr char kFileDialogOptionsHint[] = "Click this button to change default settings -->";
inline constexpr char kAboutCaption[] = "About Sonvarek Maker";
inline constexpr char kAboutText[] =
    "<h3>Sonvarek Maker %s</h3><p>Audio CD ripper and audio converter.</p>"
    "<p>MP3 encoder library %d.%02d (libmp3lame %d.%02d)</p><p><a href=\"%s\">%s</a></p>"
    "<p>Copyright &copy; 2026 the Sonvarek Maker developers.</p>";
inline constexpr char kAboutNoEncoder[] = "no MP3 encoder library loaded";
inline constexpr char kGuiUsageHead[] = "Usage: sonvarek-maker [--home DIR] [--rip] [FILE...]\n\n";
inline constexpr char kGuiDescription[] =
    "The desktop program: rips audio CDs to MP3, Ogg Vorbis or WAV files, converts files, plays CDs.\n"
    "WAV files given are encoded to MP3, MP3 files decoded to WAV.\n"
    "Disc images (CUE sheets) listed in $SONVAREK_CD_IMAGE appear as drives.\n";
inline constexpr char kGuiNotAudioFile[] = "%s is neither a WAV nor an MP3 file, so it is left alone.";
inline constexpr CliOptionText kGuiOptions[] = {
    {"--home DIR", "keep Settings.ini, db/ and cdplayer.ini in DIR"},
    {"--rip", "rip every audio track of the inserted disc once the window is up"},
    {"--help", "show this help"},
    {"--version", "show the version"},
};
inline constexpr char kGuiVersion[] = "sonvarek-maker (%s) %s";

// Desktop program: batch window and log window
// (batch and log window texts)
inline constexpr char kLogWindowCaption[] = "Sonvarek Maker Log";
inline constexpr char kLogClearButton[] = "&Clear";
inline constexpr char kOkButton[] = "&OK";
inline constexpr char kPlaylistFilterQt[] = "Play List File(*.m3u)";
inline constexpr char kCantOpenFolderAfterRip[] = "The output folder %s could not be opened: %s";

// Desktop program: freedb dialogs
// (freedb dialog texts)
inline constexpr char kCddbOkButton[] = "OK";
inline constexpr char kCddbCancelButton[] = "Cancel";
inline constexpr char kSubmitCancelButton[] = "&Cancel";
inline constexpr char kSubmitCloseButton[] = "&Close";
inline constexpr char kCandidateColumnNumber[] = "No.";
inline constexpr char kCandidateColumnArtist[] = "Artist";
inline constexpr char kCandidateColumnAlbum[] = "Album";
inline constexpr char kSubmitArtistLabel[] = "&Artist:";
inline constexpr char kSubmitAlbumLabel[] = "A&lbum:";
inline constexpr char kSubmitGenreLabel[] = "Genre:";
inline constexpr char kSubmitRevisionLabel[] = "Revision:";
inline constexpr char kSubmitButton[] = "&Submit";
inline constexpr char kSubmitTitleColumn[] = "Title";

// Options sheet and information dialogs
inline constexpr char kDialogTitleFont[] = "Verana";
// The sheet's tree, in the order of sonvarek::OptionsPage.
inline constexpr const char* kOptionsPageNames[] = {"Output",     "MP3",      "Ogg Vorbis", "Freedb",
                                                    "CD-ROM",     "Appearance", "Misc. #1", "Misc. #2"};
inline constexpr char kOptionsCannotCreateDirectory[] = "Cannot create directory  %s";
inline constexpr char kOptionsIntegerRange[] = "Please enter an integer between %d and %d.";
inline constexpr char kOptionsTooManyCharacters[] = "Please enter no more than %d characters.";
inline constexpr char kOptionsOutputFolderLabel[] = "Select a directory to store your MP3 songs and wave files:";
inline constexpr char kOptionsBrowseButton[] = "...";
inline constexpr char kOptionsChooseOutputFolder[] = "Choose the output folder";
inline constexpr char kOptionsNamingRuleLabel[] = "Filename format:";
// The naming rule box's presets, in list order.
inline constexpr const char* kOptionsNamingRulePresets[] = {
    "<title>", "<number>-<title>", "<number>-<artist>-<title>", "<number>-<artist>-<album>-<title>",
    "<artist>-<title>", "<artist>-<album>-<title>", "<artist>\\<title>", "<artist>\\<number>-<title>",
    "<artist>\\<album>\\<title>", "<artist>\\<album>\\<number>-<title>"};
inline constexpr char kOptionsOutputFormatLabel[] = "Output Format";
inline constexpr const char* kOptionsOutputFormats[] = {"MP3 Files(*.MP3)", "Wave files(*.wav)", "Ogg Vorbis(*.ogg)"};
inline constexpr char kOptionsNormalizeTo[] = "Normalize to ";
inline constexpr char kOptionsPercent[] = "%";
inline constexpr char kOptionsEncoderEngineLabel[] = "&Encoder Engine:";
inline constexpr const char* kOptionsEncoderEngines[] = {"liblame_enc.so"};
inline constexpr char kOptionsMinBitRateLabel[] = "Min. &Bitrate:";
inline constexpr char kOptionsMaxBitRateLabel[] = "&Max. Bitrate:";
inline constexpr const char* kOptionsBitRates[] = {" 32  kbit/s", " 40  kbit/s", " 48  kbit/s", " 56  kbit/s",
                                                   " 64  kbit/s", " 80  kbit/s", " 96  kbit/s", "112 kbit/s",
                                                   "128 kbit/s",  "160 kbit/s",  "192 kbit/s",  "224 kbit/s",
                                                   "256 kbit/s",  "320 kbit/s"};
inline constexpr char kOptionsMpegQualityLabel[] = "MPEG &Quality:";
inline constexpr const char* kOptionsMpegQualities[] = {"Normal Quality", "Low Quality", "High Quality",
                                                        "Voice Quality"};
inline constexpr char kOptionsVbrQualityLabel[] = "VB&R Quality:";
inline constexpr const char* kOptionsVbrQualities[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
inline constexpr char kOptionsEnableVbr[] = "Enable &VBR ";
inline constexpr char kOptionsWriteVbrHeader[] = "Write VBR Header";
inline constexpr char kOptionsStereoModeLabel[] = "Stereo Mode:";
inline constexpr const char* kOptionsStereoModes[] = {"Stereo", "Joint Stereo", "Dual Channel"};
inline constexpr char kOptionsEnableId3v1[] = "&Enable ID3V1";
inline constexpr char kOptionsEnableId3v2[] = "Enable ID3V2";
inline constexpr char kOptionsAdvancedButton[] = "&Advanced...";
inline constexpr char kOptionsAdvancedCaption[] = " Advanced";
inline constexpr char kOptionsCopyrightBit[] = "Set &Copyright Bit";
inline constexpr char kOptionsOriginalBit[] = "Set O&riginal Bit";
inline constexpr char kOptionsPrivateBit[] = "Set &Private Bit";
inline constexpr char kOptionsOggQualityLabel[] = "Quality Coeffcient:";
inline constexpr char kOptionsOggLow[] = "Low";
inline constexpr char kOptionsOggHigh[] = "High";
inline constexpr char kOptionsOggCommentsLabel[] = "Add the following fields to the output Ogg vorbis file's comment:";
// In the order of Settings::OggComment.
inline constexpr const char* kOptionsOggComments[] = {"Title",    "Artist",       "Album",     "Year",
                                                      "Genre",    "Comment",      "Composer",  "Orig. Artist",
                                                      "Copyright", "URL",         "Encoded By", "Track No."};
inline constexpr char kOptionsServerLabel[] = "Freedb Server:";
inline constexpr char kOptionsQueryScriptLabel[] = "Query Script:";
inline constexpr char kOptionsSubmitScriptLabel[] = "Submit Script:";
inline constexpr char kOptionsEmailLabel[] = "Email:";
inline constexpr char kOptionsUseProxy[] = "Use Proxy";
inline constexpr char kOptionsProxyServerLabel[] = "Proxy Server:";
inline constexpr char kOptionsProxyPortLabel[] = "Port:";
inline constexpr char kOptionsProxyAuthorization[] = "Authorization:";
inline constexpr char kOptionsProxyNameLabel[] = "Name:";
inline constexpr char kOptionsProxyPasswordLabel[] = "Password:";
inline constexpr char kOptionsUnitLabel[] = "&Unit:";
inline constexpr char kOptionsDriveTypeLabel[] = "&Type:";
inline constexpr char kOptionsDeleteSilence[] = "&Delete silence automatically";
inline constexpr char kOptionsLeadingFramesLabel[] = "&Leading silent frames:";
inline constexpr char kOptionsTrailingFramesLabel[] = "&Trailing silent frames:";
inline constexpr char kOptionsDisableAutoPlay[] = "Disable CD &auto play when running";
inline constexpr char kOptionsRetryTimesLabel[] = "&Retry times when error:";
inline constexpr char kOptionsBufferSizeLabel[] = "Read &Buffer size(frames):";
inline constexpr char kOptionsSkipErrors[] = "Continue ripping if error sectors";
inline constexpr char kOptionsPlaybackLabel[] = "&Play CD audio:";
// In the order of the PlaybackOutput values.
inline constexpr const char* kOptionsPlaybackOutputs[] = {"Digitally, through the sound system",
                                                          "Through the drive's own audio output"};
inline constexpr char kOptionsTextColor[] = "&Text";
inline constexpr char kOptionsHighlightedTextColor[] = "&Highlighted Text";
inline constexpr char kOptionsTextShadowColor[] = "Text Sh&adow";
inline constexpr char kOptionsStatusLineColor[] = "&Status Line";
inline constexpr char kOptionsBackgroundColor[] = "&Background";
inline constexpr char kOptionsDrawTextShadow[] = "Text Shado&w";
inline constexpr char kOptionsSetDefaultColors[] = "Set &Default";
inline constexpr char kOptionsPreviewLabel[] = "Preview";
inline constexpr char kOptionsPreviewText[] = "01  Track 1";
inline constexpr char kOptionsPreviewHighlightedText[] = "02  Track 2";
inline constexpr char kOptionsPreviewStatusText[] = "Device: /dev/sr0";
inline constexpr char kOptionsPlayerLabel[] = "Specify MP3 player, blank for default:";
inline constexpr char kOptionsChoosePlayer[] = "Choose the MP3 player";
inline constexpr char kOptionsPlayerFilter[] = "MP3 Player Program(*)";
inline constexpr char kOptionsPlayerParametersLabel[] = "Parameters for playing files:";
inline constexpr char kOptionsReplacingGroup[] = "Filename Character Replacing";
inline constexpr char kOptionsReplacingText[] =
    "A filename cannot contain any of the following characters. Please specify a replacement for each of them "
    "(and for the space):";
// The labels of the ten replacement edits, in the order of Settings::ReplaceStr.
inline constexpr const char* kOptionsReplacedCharacters[] = {"*", ":", "?", "\"", "|", "/", "\\", "<", ">", "SP"};
inline constexpr char kOptionsThreadPriorityLabel[] = "Ripping and encoding thread:";
inline constexpr const char* kOptionsThreadPriorities[] = {"Lowest", "Below Normal", "Normal", "Above Normal",
                                                           "Highest"};
inline constexpr char kOptionsTemporaryFolderLabel[] = "Specify directory for temporary wave files:";
inline constexpr char kOptionsBrowserButton[] = "&Browser...";
inline constexpr char kOptionsChooseTemporaryFolder[] = "Choose the folder for temporary wave files";
inline constexpr char kOptionsAutoLoadCdPlayerIni[] = "Automatically load CD info from cdplayer.ini";
inline constexpr char kOptionsAutoSelectAll[] = "Automatically select all tracks when refreshing TOC";
inline constexpr char kOptionsOpenOutputFolder[] = "Open output folder after ripping";
inline constexpr char kOptionsForceGenericDriver[] = "Force to use the SCSI generic driver (sg)";
inline constexpr char kTrackInfoCaption[] = "Track Information [#%02d]";
inline constexpr char kTrackInfoTitleLabel[] = "Title:";
inline constexpr char kTrackInfoArtistLabel[] = "Artist:";
inline constexpr char kTrackInfoAlbumLabel[] = "Album:";
inline constexpr char kTrackInfoYearLabel[] = "Year:";
inline constexpr char kTrackInfoGenreLabel[] = "Genre:";
inline constexpr char kTrackInfoCommentLabel[] = "Comment:";
inline constexpr char kInfoComposerLabel[] = "Composer:";
inline constexpr char kInfoOrigArtistLabel[] = "Orig. Artist:";
inline constexpr char kInfoCopyrightLabel[] = "Copyright:";
inline constexpr char kInfoUrlLabel[] = "URL:";
inline constexpr char kInfoEncodedByLabel[] = "Encoded By:";
inline constexpr char kTrackInfoOkButton[] = "&OK";
inline constexpr char kTrackInfoCancelButton[] = "&Cancel";
inline constexpr char kTrackInfoMoreButton[] = "&More >>";
inline constexpr char kTrackInfoLessButton[] = "<< &Less";
inline constexpr char kTrackInfoPreviousButton[] = "&Previous";
inline constexpr char kTrackInfoNextButton[] = "&Next";
inline constexpr char kDiscInfoCaption[] = "Disc Info";
inline constexpr char kDiscInfoAlbumLabel[] = "Album &Title:";
inline constexpr char kDiscInfoArtistLabel[] = "&Artist:";
inline constexpr char kDiscInfoYearLabel[] = "&Year:";
inline constexpr char kDiscInfoGenreLabel[] = "&Genre:";
inline constexpr char kDiscInfoCommentLabel[] = "&Comment:";
inline constexpr char kDiscInfoVolumeFormat[] = "Disc Volume ID: %s\nTotal Tracks:  %d";
inline constexpr char kDiscInfoOkButton[] = "OK";
inline constexpr char kDiscInfoCancelButton[] = "Cancel";
inline constexpr char kDiscInfoCopyToTracks[] = "Copy info to each track";

// Verified rips in the desktop program: the CD-ROM page's controls and the batch
// window's rip log.
inline constexpr char kOptionsReadOffsetLabel[] = "Read o&ffset:";
inline constexpr char kOptionsSamplesSuffix[] = " samples";
inline constexpr char kOptionsSecureMode[] = "&Secure mode (test and copy)";
inline constexpr char kOptionsSecureRetriesLabel[] = "Retr&ies:";
inline constexpr char kOptionsAccurateRipServerLabel[] = "AccurateRip ser&ver:";
inline constexpr char kOptionsAccurateRipServerHint[] = "Empty: no AccurateRip look-ups";
inline constexpr char kViewRipLogButton[] = "View &Rip Log...";
inline constexpr char kRipLogCaption[] = "Rip Log - %s";
inline constexpr char kCantReadRipLog[] = "The rip log %s could not be read: %s";

// The verify command: existing rips checked against the AccurateRip database.
inline constexpr char kCliSynopsisVerify[] = "verify [--device N | --image FILE] WAVFILE...";
inline constexpr char kCliSummaryVerify[] = "check rips of the disc's audio tracks against the AccurateRip database";
inline constexpr CliOptionText kCliVerifyOptions[] = {
    {"WAVFILE...", "one 16-bit stereo 44100 Hz WAV file per audio track, in the disc's order from its first track"},
};
inline constexpr char kCliVerifyUsage[] = "usage: verify [--device N | --image FILE] WAVFILE...";
inline constexpr char kCliVerifyUnknownOption[] = "verify: unknown option '%s'";
inline constexpr char kCliVerifyNeedsFiles[] = "verify needs at least one WAV file";
inline constexpr char kCliVerifyTooManyFiles[] = "%d files given, but the disc has only %d audio tracks";
inline constexpr char kCliVerifyNotCdWav[] = "%s is not a WAV file of CD audio (16-bit PCM, stereo, 44100 Hz)";
inline constexpr char kCliVerifyCantRead[] = "%s cannot be read";
inline constexpr char kCliVerifyDiscId[] = "AccurateRip disc id: %03d-%08x-%08x-%08x";
inline constexpr char kCliVerifyTrack[] = "Track %2d  AccurateRip v1: %08X  v2: %08X  %s";

// AccurateRip verdicts and the database look-up
inline constexpr char kAccurateRipAccurate[] = "Accurately ripped (confidence %d) [%08X] (AR v%d)";
inline constexpr char kAccurateRipNotAccurate[] = "Not accurately ripped";
inline constexpr char kAccurateRipUserAgent[] = "Sonvarek Maker";
inline constexpr char kAccurateRipBadAddress[] = "The AccurateRip server address '%s' is not an http:// address.";
inline constexpr char kAccurateRipTimedOut[] = "The AccurateRip server %s did not answer in time.";
inline constexpr char kAccurateRipUnreachable[] = "The AccurateRip server %s could not be reached: %s.";
inline constexpr char kAccurateRipStatus[] = "The AccurateRip server %s answered %d.";
inline constexpr char kAccurateRipMalformed[] = "The answer of the AccurateRip server %s is malformed.";
inline constexpr char kAccurateRipTooLarge[] = "The answer of the AccurateRip server %s is larger than 1 MiB; it was not read.";

// What the rip log says of the output format's settings.
inline constexpr char kRipLogPcm[] = "16-bit PCM, 44.1 kHz, stereo";
inline constexpr char kRipLogOggQuality[] = "quality %.2f";
inline constexpr char kRipLogMp3Vbr[] = "VBR quality %d, at most %u kbit/s";
inline constexpr char kRipLogMp3Cbr[] = "%u kbit/s CBR";
// The rip's end: the verdict of each track for the batch window and the job log.
inline constexpr char kTrackVerdict[] = "Track %d: %s";
inline constexpr char kVerdictNotPresent[] = "Not present in database";
inline constexpr char kVerdictNotLookedUp[] = "Not looked up";
inline constexpr char kVerdictLookupCancelled[] = "The AccurateRip look-up was cancelled.";

// Image drive test controls
inline constexpr char kFlakySectorsVariable[] = "SONVAREK_CD_FLAKY_SECTORS: %s";

// The rip log and the CUE sheet written next to a rip's files. The log's lines are
// pinned by tests and read by users' scripts: keep them as they stand.
inline constexpr char kRipLogHeading[] = "Sonvarek Maker %s rip log";
inline constexpr char kRipLogField[] = "%-17s%s";  // a label padded to one column, then its value
inline constexpr char kRipLogDateLabel[] = "Date";
inline constexpr char kRipLogDriveLabel[] = "Drive";
inline constexpr char kRipLogReadOffsetLabel[] = "Read offset";
inline constexpr char kRipLogReadOffsetSamples[] = "%+d samples";
inline constexpr char kRipLogReadOffsetSample[] = "%+d sample";
inline constexpr char kRipLogNoReadOffset[] = "0 samples";
inline constexpr char kRipLogSecureModeLabel[] = "Secure mode";
inline constexpr char kRipLogSecureOff[] = "Off";
inline constexpr char kRipLogSecureRetries[] = "Test and copy, %d retries";
inline constexpr char kRipLogSecureRetry[] = "Test and copy, 1 retry";
inline constexpr char kRipLogSkipErrorsLabel[] = "Skip on error";
inline constexpr char kRipLogYes[] = "Yes";
inline constexpr char kRipLogNo[] = "No";
inline constexpr char kRipLogOutputLabel[] = "Output format";
inline constexpr char kRipLogOutputWithSettings[] = "%s, %s";
inline constexpr char kRipLogDiscLabel[] = "Disc";
inline constexpr char kRipLogDisc[] = "%s / %s";
inline constexpr char kRipLogFreedbIdLabel[] = "Freedb id";
inline constexpr char kRipLogFreedbId[] = "%08x";
inline constexpr char kRipLogAccurateRipIdsLabel[] = "AccurateRip ids";
inline constexpr char kRipLogAccurateRipIds[] = "%03d-%08x-%08x-%08x";
inline constexpr char kRipLogTocHeading[] = "Table of contents";
inline constexpr char kRipLogTocColumns[] = "    Track     Start    Length  Start sector  End sector";
inline constexpr char kRipLogTocRow[] = "    %5d  %8s  %8s  %12u  %10u";
inline constexpr char kRipLogTocDataMark[] = "  Data";
inline constexpr char kRipLogTime[] = "%u:%02u.%02u";  // minutes:seconds.sectors
inline constexpr char kRipLogTrackHeading[] = "Track %2d";
inline constexpr char kRipLogFileName[] = "    File name %s";
inline constexpr char kRipLogPeakLevel[] = "    Peak level %.1f %%";
inline constexpr char kRipLogCopyCrc[] = "    Copy CRC %08X";
inline constexpr char kRipLogTestCrc[] = "    Test CRC %08X";
inline constexpr char kRipLogCrcsDiffer[] = "    Test and copy CRCs differ";
inline constexpr char kRipLogAccurateRipV1[] = "    AccurateRip v1: %08X";
inline constexpr char kRipLogAccurateRipV2[] = "    AccurateRip v2: %08X";
inline constexpr char kRipLogVerdict[] = "    %s";
inline constexpr char kRipLogNotLookedUp[] = "Not looked up";
inline constexpr char kRipLogC2Used[] = "    C2 error pointers used";
inline constexpr char kRipLogSuspiciousPosition[] = "    Suspicious position %s";
inline constexpr char kRipLogSuspiciousPositions[] = "    Suspicious positions %s - %s";
inline constexpr char kRipLogSilencedPosition[] = "    Replaced by silence %s";
inline constexpr char kRipLogSilencedPositions[] = "    Replaced by silence %s - %s";
inline constexpr char kRipLogResult[] = "    Result %s";
// In the order of sonvarek::TrackRipResult.
inline constexpr const char* kRipResults[] = {"Not done", "OK", "Suspicious positions",
                                              "Unreadable sectors replaced by silence", "Failed", "Cancelled"};
inline constexpr char kRipAllAccurate[] = "All tracks accurately ripped";
inline constexpr char kRipErrorsOccurred[] = "Errors occurred";
inline constexpr char kRipTracksNotVerified[] = "%d tracks not verified";
inline constexpr char kRipTrackNotVerified[] = "1 track not verified";
inline constexpr char kRipCueComment[] = "Sonvarek Maker %s";
inline constexpr char kRipLogDefaultStem[] = "Unknown album";  // the log's and sheet's name when the album has none
inline constexpr char kRipLogCantWrite[] = "%s could not be written: %s";

}  // namespace sonvarek::text
