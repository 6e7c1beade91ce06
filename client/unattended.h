// The unattended run behind --screenshots: no dialog waits for anyone.
#pragma once

#include "TVGUICommon.h"

class MainWindow;

// Records every message box, prints it to stderr and answers it at once with its last button
// (Cancel or No where there is one), so that nothing is confirmed on the operator's behalf.
class PrintingInteraction : public RecordingInteraction {
public:
    int message(const QString& text, const QString& caption, int flags) override;
};

// Opens every business function in turn and writes DIR/<code>.png of the main window with that
// window in front. 0 when every window opened and was written, else 1 (stderr says which).
int WriteScreenshots(MainWindow& window, const QString& folder);
