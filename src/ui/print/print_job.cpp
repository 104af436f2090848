#include "ui/print/print_job.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <memory>

#include "core/dates.h"
#include "ui/common/qt_text.h"
#include "ui/print/print_layout_engine.h"
#include "ui/print/print_range_dialog.h"
#include "ui/print/qt_print_canvas.h"

namespace telvo {
namespace {

// The hourglass for as long as the job holds it; restored on every way out.
void SetHourglass(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

// Where one job's document goes.
struct Output {
  QString pdfFile;  // empty: the printer named below
  QPrinterInfo printer;
  bool tellWhere = false;  // a box says where the PDF file is
};

void ReportPrinterFailure(Program& program, const QString& what) {
  ShowStop(program, "Telvo", FromQt(what));
}

QString Destination(const QPrinter& printer) {
  return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

void RunJob(Program& program, QWidget* parent, const Output& output) {
  std::unique_ptr<QPrinter> printer;
  QtPrintCanvas* canvas = nullptr;  // owned by the job while it runs
  bool printed = false;

  PrintJobWindows windows;
  windows.AskPrintRange = [&] { return AskPrintRange(program, parent); };
  windows.StartPrinter = [&]() -> std::unique_ptr<PrintCanvas> {
    if (output.pdfFile.isEmpty()) {
      printer = std::make_unique<QPrinter>(output.printer, QPrinter::HighResolution);
    } else {
      printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(output.pdfFile);
      // The columns are laid out for a letter-size page.
      printer->setPageSize(QPageSize(QPageSize::Letter));
    }
    printer->setDocName(ToQt("Telvo calls " + program.state.viewed.book.owner.name));
    auto started = std::make_unique<QtPrintCanvas>(*printer);
    if (!started->Started()) {
      ReportPrinterFailure(
          program, QStringLiteral("The printer %1 cannot print.").arg(Destination(*printer)));
      return nullptr;
    }
    canvas = started.get();
    return started;
  };
  windows.SetHourglass = [&](bool busy) {
    // The canvas is still alive when the job lets go of the hourglass after
    // ending the document; that is where its outcome is read.
    if (!busy && canvas) printed = canvas->Printed();
    SetHourglass(busy);
  };

  PrintCalls(program, windows);
  if (!printer || !canvas) return;
  if (!printed) {
    // A PDF abandoned half-way is no printout: it goes with the job.
    if (!output.pdfFile.isEmpty()) QFile::remove(output.pdfFile);
    // A job that ended without its document (the log could not be read) has
    // already said why; only a printer that failed at the end is news here.
    if (printer->printerState() == QPrinter::Error)
      ReportPrinterFailure(program,
                           QStringLiteral("Printing to %1 failed.").arg(Destination(*printer)));
    return;
  }
  if (!output.pdfFile.isEmpty()) {
    // A created file is made durable with its folder, like every file the
    // program writes; Qt only closes it.
    const std::string path = FromQt(output.pdfFile);
    std::unique_ptr<File> file;
    Status status = program.env.OpenFile(path, FileAccess::kRead, &file);
    if (status.ok()) status = file->Sync();
    file.reset();
    if (status.ok()) status = program.env.SyncFolderOf(path);
    if (!status.ok()) {
      ReportPrinterFailure(
          program,
          QStringLiteral("Printing to %1 failed: %2").arg(output.pdfFile, ToQt(status.ToString())));
      return;
    }
  }
  if (output.tellWhere)
    ShowNotice(program, "Telvo",
               FromQt(QStringLiteral("No printer is installed. The calls were printed to ") +
                      QDir::toNativeSeparators(output.pdfFile)),
               BoxIcon::kInformation);
}

}  // namespace

QString UnusedPdfPath(const QString& folder, const QString& owner, const QString& date) {
  QString name = QStringLiteral("Telvo calls %1 %2").arg(owner, date).simplified();
  for (QChar& c : name)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 32) c = QLatin1Char('-');
  const QDir dir(folder);
  QString path = dir.filePath(name + QStringLiteral(".pdf"));
  for (int n = 2; QFileInfo::exists(path); ++n)
    path = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(name).arg(n));
  return path;
}

void RunPrintJob(Program& program, QWidget* parent) {
  Output output;
  output.printer = QPrinterInfo::defaultPrinter();
  if (output.printer.isNull()) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    QDir().mkpath(folder);
    output.pdfFile = UnusedPdfPath(folder, ToQt(program.state.viewed.book.owner.name),
                                   ToQt(FormatDate(program.env.Now())));
    output.tellWhere = true;
  }
  RunJob(program, parent, output);
}

void RunPrintJobToFile(Program& program, QWidget* parent, const QString& pdfFile) {
  Output output;
  output.pdfFile = pdfFile;
  RunJob(program, parent, output);
}

}  // namespace telvo
