// Writes the help page that the help window shows into the HTML file that is
// installed beside the program, so that the two never differ. The template
// gives the page its head and the pictures of the windows; its one
// @HELP_PAGE@ is replaced by the page itself.
//   telvo_help_page_writer TEMPLATE OUTPUT

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <cstdio>

#include "platform/status.h"
#include "ui/help/help_page.h"

namespace {

const QString kPlaceholder = QStringLiteral("@HELP_PAGE@");

telvo::Status ReadTemplate(const QString& path, QString* text) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return telvo::Status::Error(telvo::kFileNotFound, path.toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return telvo::Status::Error(telvo::kDeviceIoError, path.toStdString());
  *text = QString::fromUtf8(bytes);
  return telvo::Status::Ok();
}

// QSaveFile writes beside the old page and renames over it, so a build that
// stops half-way never leaves half a page to be installed.
telvo::Status WritePage(const QString& path, const QString& page) {
  const QByteArray bytes = page.toUtf8();
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    return telvo::Status::Error(telvo::kPathFileAccessError, path.toStdString());
  return telvo::Status::Ok();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TEMPLATE OUTPUT\n", argv[0]);
    return 2;
  }
  const QString templatePath = QString::fromLocal8Bit(argv[1]);
  QString page;
  telvo::Status status = ReadTemplate(templatePath, &page);
  if (status.ok() && page.count(kPlaceholder) != 1) {
    std::fprintf(stderr, "%s: the template must hold %s exactly once\n", argv[1],
                 qPrintable(kPlaceholder));
    return 1;
  }
  if (status.ok()) status = WritePage(QString::fromLocal8Bit(argv[2]),
                                      page.replace(kPlaceholder, telvo::HelpPageHtml()));
  if (!status.ok()) {
    std::fprintf(stderr, "%s\n", status.ToString().c_str());
    return 1;
  }
  return 0;
}
