#pragma once
// The common dialogs (open a file, choose a colour) behind one facade, so
// that every such dialog of the program can be answered by a test. The
// windows ask `CommonDialogs::Instance()`; tests install a
// ScriptedCommonDialogs for their duration.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace telvo {

struct OpenFileRequest {
  QString title;
  QString folder;    // where the dialog starts, "" for its own choice
  QString fileName;  // the name offered, "" for none
  QString filter;    // Qt's filter syntax: "Workgroup Files (*.wgl)"

  bool operator==(const OpenFileRequest&) const = default;
};

class CommonDialogs {
 public:
  virtual ~CommonDialogs() = default;

  // The full path of an existing file, or nothing when cancelled.
  virtual std::optional<QString> OpenFile(QWidget* parent, const OpenFileRequest& request);
  // A colour as a Windows colour value (0x00BBGGRR), or nothing when
  // cancelled. The dialog starts at `initial`.
  virtual std::optional<int32_t> ChooseColor(QWidget* parent, int32_t initial);

  // The installed dialogs: the real ones unless a test installed others.
  static CommonDialogs& Instance();
  // Installs `dialogs` (not owned), or the real ones again for nullptr.
  static void Install(CommonDialogs* dialogs);
};

// Answers the coming dialogs in order without showing them, and keeps what
// each was asked. A dialog with no answer left is cancelled.
class ScriptedCommonDialogs : public CommonDialogs {
 public:
  ScriptedCommonDialogs() { Install(this); }
  ~ScriptedCommonDialogs() override { Install(nullptr); }
  ScriptedCommonDialogs(const ScriptedCommonDialogs&) = delete;
  ScriptedCommonDialogs& operator=(const ScriptedCommonDialogs&) = delete;

  void AnswerFile(const QString& path) { files_.push_back(path); }
  void CancelFile() { files_.push_back(QString()); }
  void AnswerColor(std::optional<int32_t> color) { colors_.push_back(color); }

  std::optional<QString> OpenFile(QWidget* parent, const OpenFileRequest& request) override;
  std::optional<int32_t> ChooseColor(QWidget* parent, int32_t initial) override;

  const std::vector<OpenFileRequest>& fileRequests() const { return fileRequests_; }
  int colorRequests() const { return colorRequests_; }

 private:
  std::deque<QString> files_;  // a null text cancels
  std::deque<std::optional<int32_t>> colors_;
  std::vector<OpenFileRequest> fileRequests_;
  int colorRequests_ = 0;
};

}  // namespace telvo
