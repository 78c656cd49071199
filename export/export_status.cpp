#include "export/export_status.h"

namespace tavrix {

const char* ExportStatusText(int status) {
  switch (status) {
    case kExportOk: return "success";
    case kExportOpenInProgress: return "an export is being opened";
    case kExportCloseInProgress: return "an export is being closed";
    case kExportEmptyPath: return "no output file was given";
    case kExportBadPicture: return "the picture size or frame rate is not valid";
    case kExportFileFailed: return "the output file could not be created";
    case kExportStreamFailed: return "a stream could not be created";
    case kExportEncoderFailed: return "the video encoder could not be started";
    case kExportFormatRefused: return "the container refused the video or audio format";
    case kExportWriteFailed: return "the output file could not be written";
    default: return "unknown export status";
  }
}

}  // namespace tavrix
