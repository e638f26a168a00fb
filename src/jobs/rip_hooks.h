#pragma once

namespace sonvarek {

struct ConversionBatch;
struct BatchEnd;

// How the current job of a rip ended, for the CD side's report.
enum class RipJobEnd { Done, Failed, Cancelled };

// The CD side of a rip as the worker sees it. The CD layer implements it with the
// drive and the rip report (its RipContext), so that the conversion engine drives
// rips without knowing drives. One per rip batch, released with the batch.
class RipHooks {
 public:
  virtual ~RipHooks() = default;
  // The extraction step of the current job (1 on success or cancel, 0 after a
  // logged failure).
  virtual int Extract(ConversionBatch& batch) = 0;
  // The current job ended as `end`; its output is the job's outputPath.
  virtual void JobEnded(const ConversionBatch& batch, RipJobEnd end) = 0;
  // After the last job, however the batch ended: 0 after a logged failure.
  virtual int Finish(ConversionBatch& batch) = 0;
  // What the end of the batch shows of the rip (verdicts, the rip log).
  virtual void DescribeEnd(BatchEnd& end) const = 0;
};

}  // namespace sonvarek
