#pragma once
// The window that shows the notification messages of this run, newest first.
// It comes to the front when messages arrive, without staying above other
// windows and without taking the focus from whatever the person is typing
// into elsewhere.

#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <vector>

#include "ui/popup/message_feed.h"

namespace telvo {

class PopupWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PopupWindow(QWidget* parent = nullptr);

  void AddMessages(const std::vector<PopupMessage>& messages);
  // Shows, raises and activates the window, as when the person asks for it;
  // the messages then count as seen.
  void ShowMessages();

 signals:
  void unseenChanged(int unseen);
  void quitRequested();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetUnseen(int unseen);
  void PlaceOnFirstShow();

  QListWidget* list_;
  QPushButton* hide_;
  QPushButton* quit_;
  int unseen_ = 0;
  bool placed_ = false;
};

}  // namespace telvo
