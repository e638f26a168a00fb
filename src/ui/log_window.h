#pragma once

#include <QDialog>

#include "jobs/job_log.h"

class QListWidget;

namespace sonvarek {

// "Sonvarek Maker Log": the job log's lines as they were when the window opened;
// "&Clear" empties the log and the list, "&OK" closes.
class LogWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit LogWindow(JobLog& log, QWidget* parent = nullptr);
  QListWidget* lines() const { return lines_; }

 private:
  void Clear();

  JobLog& log_;
  QListWidget* lines_;
};

}  // namespace sonvarek
