#pragma once

namespace tavrix {

// Results of AviExporter::Open (and of Close, which adds kWriteFailed).
enum ExportStatus : int {
  kExportOk = 0,
  kExportOpenInProgress = 101,
  kExportCloseInProgress = 102,
  kExportEmptyPath = 302,
  kExportBadPicture = 404,
  kExportFileFailed = 600,
  kExportStreamFailed = 602,
  kExportEncoderFailed = 603,
  kExportFormatRefused = 606,
  kExportWriteFailed = 610,
};

// One line for the user, without the details the exporter keeps in LastError.
const char* ExportStatusText(int status);

}  // namespace tavrix
