#include "ui/common/file_dialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>

#include "ui/common/windows_colour.h"

namespace telvo {
namespace {

CommonDialogs& RealDialogs() {
  static CommonDialogs real;
  return real;
}

CommonDialogs* installed = nullptr;

template <typename T>
T NextAnswer(std::deque<T>& answers, T cancel) {
  if (answers.empty()) return cancel;
  T answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

std::optional<QString> CommonDialogs::OpenFile(QWidget* parent, const OpenFileRequest& request) {
  // Qt takes the offered name as part of the starting path.
  QString start = request.folder;
  if (!request.fileName.isEmpty()) start = QDir(start).filePath(request.fileName);
  const QString chosen = QFileDialog::getOpenFileName(parent, request.title, start, request.filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen;
}

std::optional<int32_t> CommonDialogs::ChooseColor(QWidget* parent, int32_t initial) {
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
  if (!chosen.isValid()) return std::nullopt;
  return ToWindowsColor(chosen);
}

CommonDialogs& CommonDialogs::Instance() { return installed ? *installed : RealDialogs(); }

void CommonDialogs::Install(CommonDialogs* dialogs) { installed = dialogs; }

std::optional<QString> ScriptedCommonDialogs::OpenFile(QWidget*, const OpenFileRequest& request) {
  fileRequests_.push_back(request);
  const QString path = NextAnswer(files_, QString());
  if (path.isNull()) return std::nullopt;
  return path;
}

std::optional<int32_t> ScriptedCommonDialogs::ChooseColor(QWidget*, int32_t) {
  ++colorRequests_;
  return NextAnswer(colors_, std::optional<int32_t>());
}

}  // namespace telvo
