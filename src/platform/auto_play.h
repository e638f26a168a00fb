#pragma once

#include <optional>

namespace sonvarek {

// The desktop's "never run programs when media is inserted" setting.
class AutoRunSetting {
 public:
  virtual ~AutoRunSetting() = default;
  // The current value; nothing when the desktop has no such setting or it cannot be read.
  virtual std::optional<bool> ReadNever() = 0;
  // False when the value could not be stored.
  virtual bool WriteNever(bool never) = 0;
};

// GNOME's key `org.gnome.desktop.media-handling autorun-never`, through the gsettings
// program. Without gsettings or without the schema every read fails.
class GsettingsAutoRunSetting final : public AutoRunSetting {
 public:
  std::optional<bool> ReadNever() override;
  bool WriteNever(bool never) override;
};

// Keeps the desktop from auto-playing an inserted audio CD while the program runs (the
// DisableAutoPlay setting), and puts the desktop's own value back afterwards:
//
//   Start(disable) at start-up, Apply(disable) when the options change, Restore() at exit.
//
// The desktop's value is read once, in Start; when that read fails (no such setting on this
// desktop) nothing is ever written.
class AutoPlaySwitch {
 public:
  explicit AutoPlaySwitch(AutoRunSetting& setting) : setting_(setting) {}

  void Start(bool disableAutoPlay);
  void Apply(bool disableAutoPlay);
  void Restore();

  // The desktop's value read at start-up, if any.
  std::optional<bool> Saved() const { return saved_; }

 private:
  AutoRunSetting& setting_;
  std::optional<bool> saved_;
};

}  // namespace sonvarek
