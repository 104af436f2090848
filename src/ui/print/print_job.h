#pragma once
// Printing the viewed log from the call list: the print range dialog, then
// the job on the default printer (or a PDF file when there is none).

#include <QString>
#include <QWidget>

#include "core/program.h"

namespace telvo {

void RunPrintJob(Program& program, QWidget* parent);

// The job with its document in `pdfFile` instead of on a printer, and no box
// about where it went.
void RunPrintJobToFile(Program& program, QWidget* parent, const QString& pdfFile);

// Where a job goes when no printer is installed: "Telvo calls <owner>
// <mm-dd-yyyy>.pdf" in `folder`, with " (2)", " (3)"... before the
// extension when that name is taken. Characters a file name cannot hold
// become "-".
QString UnusedPdfPath(const QString& folder, const QString& owner, const QString& date);

}  // namespace telvo
