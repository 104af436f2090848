#pragma once
// The popup's place in the desktop's system tray, where there is one: its
// tooltip counts the messages not yet seen, its menu shows them, starts the
// message pad or ends the popup.

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace telvo {

class PopupTray : public QObject {
  Q_OBJECT

 public:
  explicit PopupTray(QObject* parent = nullptr);

  void SetUnseen(int unseen);
  QSystemTrayIcon& icon() { return icon_; }
  QMenu& menu() { return menu_; }

 signals:
  void showRequested();
  void openTelvoRequested();
  void quitRequested();

 private:
  QMenu menu_;
  QSystemTrayIcon icon_;
};

}  // namespace telvo
