#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/command_line.h"
#include "app/main_dialog.h"

namespace tavrix::testing {

// A recording made by `tavrix make-sample`: four moving test pictures with
// sound, `seconds` long. Empty (with a QTest failure) when it cannot be made.
QString MakeSample(const QString& path, int seconds);

// A main window on a profile of its own in `folder`, shown and exposed.
std::unique_ptr<MainDialog> ShowViewer(const QTemporaryDir& folder, const CommandLine& commandLine = {});

// Where the profile of ShowViewer's windows lives.
QString ProfileIn(const QTemporaryDir& folder);

}  // namespace tavrix::testing
