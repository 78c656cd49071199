#pragma once

namespace tavrix {

// The mouse state the view records for the DVR's remote mouse control.
// buttons: 0 none, 1 left, 2 right, 3 left double click, 4 right double click.
struct MouseReport {
  int buttons = 0;
  int x = 0;
  int y = 0;
  int viewWidth = 0;
  int viewHeight = 0;
};

// Where the network client collects the mouse report from. Take hands out a
// report recorded since the last take and clears it; false when none waits.
class MouseReportSource {
 public:
  virtual ~MouseReportSource() = default;
  virtual bool TakeMouseReport(MouseReport& report) = 0;
};

}  // namespace tavrix
