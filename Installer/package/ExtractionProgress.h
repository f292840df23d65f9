// The progress that file extraction shows in the progress dialog: the percentage before each
// entry, the status line, and the dialog's request to stop.
#pragma once

#include <cstdint>

#include "ui/ProgressContext.h"

// The progress scale for |fileCount| entries: the smallest of 100, 1000, 10000, ... that is not
// below the count.
uint64_t ProgressScale(uint32_t fileCount);

// The percentage shown before entry |index| (counted from 0) of |fileCount| (not 0) is placed:
// ((scale / fileCount) * index) / (scale / 100), each division discarding the remainder. The
// scale makes the steps even for any count; the first entry shows 0, and no entry shows 100.
int ProgressPercentage(uint64_t scale, uint32_t fileCount, uint32_t index);

// Reports one extraction run to a progress dialog. Every message is sent synchronously, and only
// while the dialog window exists and has not begun to shut down; both are tested again before
// each message, since the dialog may be torn down (and its thread ended) at any moment.
class ExtractionProgress {
 public:
  // |context| may be null (an unattended run): then nothing is sent and nothing stops the run.
  // The scale is fixed here from |fileCount|.
  ExtractionProgress(ProgressContext* context, uint32_t fileCount);

  // Before entry |index| of |fileCount|: stores the percentage in the shared 32-bit value that
  // the context's userData points at (when there is one), then sends WM_UPD_SET_POS with it and
  // WM_UPD_SET_TEXT with "Copying files <n>%".
  void BeforeEntry(uint32_t index, uint32_t fileCount);

  // After the last entry: WM_UPD_SET_TEXT with "<fileCount> Files successfully extracted.", then
  // WM_UPD_SET_POS with 100. The shared value is left as it is.
  void Finished(uint32_t fileCount);

  // True once the dialog has begun to shut down: extraction then stops between two entries.
  bool StopRequested() const;

 private:
  void Send(UINT message, WPARAM wParam, LPARAM lParam) const;

  ProgressContext* context_;
  uint64_t scale_;
};
