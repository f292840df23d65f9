#include "package/ExtractionProgress.h"

#include <cstdio>

uint64_t ProgressScale(uint32_t fileCount) {
  // 64-bit, so that a count above 1,000,000,000 still finds its scale.
  uint64_t scale = 100;
  while (fileCount > scale) scale *= 10;
  return scale;
}

int ProgressPercentage(uint64_t scale, uint32_t fileCount, uint32_t index) {
  if (fileCount == 0) return 0;
  // The product stays below the scale (index < fileCount), so nothing overflows in 64 bits and
  // the result is 0 to 99.
  const uint64_t step = scale / fileCount;
  return static_cast<int>((step * index) / (scale / 100));
}

ExtractionProgress::ExtractionProgress(ProgressContext* context, uint32_t fileCount)
    : context_(context), scale_(ProgressScale(fileCount)) {}

void ExtractionProgress::BeforeEntry(uint32_t index, uint32_t fileCount) {
  if (!context_) return;
  const int percentage = ProgressPercentage(scale_, fileCount, index);
  // A plain 32-bit store: the dialog only reads it, and a late view costs one step of the bar.
  if (context_->userData) *static_cast<volatile int32_t*>(context_->userData) = percentage;
  Send(WM_UPD_SET_POS, static_cast<WPARAM>(percentage), 0);
  char text[40];
  std::snprintf(text, sizeof(text), "Copying files %d%%", percentage);
  Send(WM_UPD_SET_TEXT, 0, reinterpret_cast<LPARAM>(text));
}

void ExtractionProgress::Finished(uint32_t fileCount) {
  if (!context_) return;
  char text[60];
  std::snprintf(text, sizeof(text), "%d Files successfully extracted.",
                static_cast<int>(fileCount));
  Send(WM_UPD_SET_TEXT, 0, reinterpret_cast<LPARAM>(text));
  Send(WM_UPD_SET_POS, 100, 0);
}

bool ExtractionProgress::StopRequested() const { return context_ && context_->terminated != 0; }

void ExtractionProgress::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  // A dialog that is shutting down may sleep in its handler; a message sent then would hold the
  // worker until the dialog is gone, so nothing is sent once it asked to stop.
  if (!IsWindow(context_->dialogWindow) || context_->terminated != 0) return;
  SendMessageA(context_->dialogWindow, message, wParam, lParam);
}
